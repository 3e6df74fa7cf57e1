#pragma once

#include <QHash>
#include <QString>

#include <string>

struct sqlite3;

// A trigram index (SQLite's FTS5) over a table's keyword column, used as a pre-filter: a
// statement "SELECT ... FROM t WHERE c1 AND c2 ... [ORDER BY ...]" whose conditions include
// "Palavra_Chave LIKE 'pattern'" runs as "... WHERE t.rowid IN (candidates) AND (c1 AND c2 ...)".
// The candidates are the rows whose folded keywords hold every three-character run of the
// patterns' literal parts, a superset of the rows the conditions keep, and the conditions still
// decide: the rows and their order are those of the plain scan. Anything the index cannot answer
// that way runs unchanged. The index lives in the connection's temporary schema (memory), built
// the first time a statement needs it; the database file is never written.
class KeywordIndex
{
public:
    explicit KeywordIndex(sqlite3 *db);
    KeywordIndex(const KeywordIndex &) = delete;
    KeywordIndex &operator=(const KeywordIndex &) = delete;

    // Registers the function that folds keywords for the index; false on failure.
    static bool registerFunctions(sqlite3 *db);

    // The statement to run instead of sql (SQLite's dialect, UTF-8): sql itself when the index
    // cannot serve it. Builds a table's index on its first use.
    std::string rewrite(const std::string &sql);

private:
    // The name of the index over the table written as fromName, or empty when it cannot have one.
    QString indexFor(const std::string &fromName);
    bool scansInRowidOrder(const std::string &sql);

    sqlite3 *m_db;
    QHash<QString, QString> m_indexes; // by the FROM name as written, lower case; empty: none possible
};
