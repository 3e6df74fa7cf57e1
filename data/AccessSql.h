#pragma once

#include <QString>
#include <QStringList>

// Names under which the engine registers the Access behaviour in SQLite.
namespace zeltsql
{
inline constexpr char kLeft[] = "zelt_left";
inline constexpr char kRight[] = "zelt_right";
inline constexpr char kPlus[] = "zelt_plus";
inline constexpr char kNoCase[] = "zelt_nocase"; // collation of =, <>, <, >, IN, BETWEEN
inline constexpr char kSort[] = "zelt_sort";     // collation of ORDER BY terms
} // namespace zeltsql

struct TranslatedSql {
    QString sql;       // the statement in SQLite's dialect
    QStringList names; // every bare or bracketed name it mentions, to find the tables it reads
};

// Turns one statement in the Access dialect into SQLite's, token by token: literals, quoted
// names and comments pass untouched; [name] becomes "name"; "text" becomes 'text';
// Left( and Right( call registered functions; every binary + becomes zelt_plus(a, b), which
// adds numbers and joins texts at run time as Access does, keeping Access's precedence;
// comparison operands and ORDER BY terms get the case-blind collations.
// Throws DataError for an unterminated literal, unbalanced or too deep parentheses, and for the
// & operator (Access joins texts with it; SQLite would read a bitwise and).
TranslatedSql translateAccessSql(const QString &statement);
