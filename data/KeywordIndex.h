#pragma once

#include <QHash>
#include <QString>

#include <limits>
#include <string>

struct sqlite3;

// A trigram index (SQLite's FTS5) over a table's keyword column, used as a pre-filter: a
// statement "SELECT ... FROM t WHERE c1 AND c2 ... [ORDER BY ...]" whose conditions include
// "Palavra_Chave LIKE 'pattern'" runs as "... WHERE t.rowid IN (candidates) AND (c1 AND c2 ...)".
// The candidates are the rows whose folded keywords hold every three-character run of the
// patterns' literal parts, a superset of the rows the conditions keep, and the conditions still
// decide: the rows and their order are those of the plain scan. Anything the index cannot answer
// that way runs unchanged. The index lives in the connection's temporary schema (memory), built
// the first time a statement needs it: a small table at once, a large one a slice at a time
// (buildStep) while its statements scan as before. The database file is never written; a change
// made to it by another connection drops the index, which is then built again.
class KeywordIndex
{
public:
    // rowsAtOnce: a table of up to this many rows is indexed whole on its first statement.
    explicit KeywordIndex(sqlite3 *db, int rowsAtOnce = 20000);
    KeywordIndex(const KeywordIndex &) = delete;
    KeywordIndex &operator=(const KeywordIndex &) = delete;

    // Registers the function that folds keywords for the index; false on failure.
    static bool registerFunctions(sqlite3 *db);

    // The statement to run instead of sql (SQLite's dialect, UTF-8): sql itself when the index
    // cannot serve it. Builds a table's index on its first use.
    std::string rewrite(const std::string &sql);

    // Whether an index is still being built, and the next slice of it.
    bool building() const;
    void buildStep();

private:
    struct Index {
        QString name;                                           // empty: the table cannot have one
        std::string from;                                       // the table as statements name it
        long long next = std::numeric_limits<long long>::min(); // the first rowid not yet indexed
        bool complete = false;
        int dataVersion = 0;
    };

    // The name of the whole index over the table written as fromName, or empty when it cannot
    // have one or is not whole yet (then started).
    QString indexFor(const std::string &fromName);
    bool scansInRowidOrder(const std::string &sql);
    void addRows(Index &index, int rows);
    void fail(Index &index);
    int dataVersion() const;

    sqlite3 *m_db;
    int m_rowsAtOnce;
    int m_made = 0;
    QHash<QString, Index> m_indexes; // by the FROM name as written, lower case
};
