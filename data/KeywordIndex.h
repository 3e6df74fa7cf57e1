#pragma once

#include <QHash>
#include <QString>
#include <QVector>

#include <limits>
#include <string>
#include <utility>

struct sqlite3;

// A trigram index (SQLite's FTS5) over a table's keyword column, used as a pre-filter: a
// statement "SELECT ... FROM t WHERE c1 AND c2 ... [ORDER BY ...]" whose conditions include
// "Palavra_Chave LIKE 'pattern'" runs as "... WHERE t.rowid IN (candidates) AND (c1 AND c2 ...)".
// The candidates are the rows whose folded keywords hold every three-character run of the
// patterns' literal parts, a superset of the rows the conditions keep, and the conditions still
// decide: the rows and their order are those of the plain scan. Anything the index cannot answer
// that way runs unchanged. The index lives in the connection's temporary schema (memory), built
// the first time a statement needs it: a small table at once, a large one a slice at a time
// (buildStep) while its statements scan as before; or one kept with the table by an earlier run is
// used as it is (adopt). The database file is never written; a change made to it by another
// connection drops the index, which is then built again.
class KeywordIndex
{
public:
    // rowsAtOnce: a table of fewer rows than this is indexed whole on its first statement; one of
    // this many or more a slice at a time.
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

    // Uses the whole index schema.name (kept with the table, e.g. in a cache file) for the table
    // of that name instead of building one; it must hold the table's keywords as this class
    // indexes them, by the table's rowids.
    void adopt(const QString &table, const QString &schema, const QString &name);
    // The indexes built whole here since the last call: table (as named) and index name, both in
    // the temporary schema's terms.
    struct Built {
        QString table;
        QString name;
    };
    QVector<Built> takeBuilt();
    bool hasBuilt() const { return !m_built.isEmpty(); }
    // Creates an empty index schema.name (the same options as the ones built here) and copies the
    // whole index temp.from into it; false on any failure, then schema.name may be half made.
    static bool copyIndex(sqlite3 *db, const QString &from, const QString &schema, const QString &name);

private:
    struct Index {
        QString name;                                           // empty: the table cannot have one
        QString schema = QStringLiteral("temp");                // where the index is
        std::string from;                                       // the table as statements name it
        QString table;                                          // the table's name, unquoted
        long long next = std::numeric_limits<long long>::min(); // the first rowid not yet indexed
        bool complete = false;
        int dataVersion = 0;
    };

    // The whole index over the table written as fromName, or none when it cannot have one or is
    // not whole yet (then started).
    const Index *indexFor(const std::string &fromName);
    bool scansInRowidOrder(const std::string &sql);
    void addRows(Index &index, int rows);
    void fail(Index &index);
    int dataVersion() const;

    sqlite3 *m_db;
    int m_rowsAtOnce;
    int m_made = 0;
    QHash<QString, Index> m_indexes;                       // by the FROM name as written, lower case
    QHash<QString, std::pair<QString, QString>> m_adopted; // schema and name, by table name, lower case
    QVector<Built> m_built;
};
