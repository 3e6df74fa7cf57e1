#pragma once

#include "data/LazyRows.h"
#include "data/ResultSet.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

struct sqlite3;
class KeywordIndex;
class MdbReader;
class RowView;
class ReadCache;

// The engine behind the connection: SQLite with the Access dialect registered, over either the
// file itself (an SQLite file, opened read-only) or an in-memory copy of the Access tables that
// statements name, each copied on first use so that opening does not grow with editions never
// read. Every statement is translated, then run under an authorizer that allows reading only.
class DatabaseEngine
{
public:
    // Opens path; its content decides the reader. Throws DataError naming the file.
    static std::unique_ptr<DatabaseEngine> open(const QString &path);
    ~DatabaseEngine();
    DatabaseEngine(const DatabaseEngine &) = delete;
    DatabaseEngine &operator=(const DatabaseEngine &) = delete;

    // Runs one statement in the Access dialect and returns every row. Throws DataError.
    ResultSet execute(const QString &statement);
    // Runs one statement and hands its rows over one by one, none kept: a whole table can be
    // passed on without a second copy of it. The row lives only during the call; the handler may
    // take it (move from it).
    using ColumnsHandler = std::function<void(const QVector<ResultColumn> &)>;
    using RowHandler = std::function<void(QVector<QVariant> &)>;
    void execute(const QString &statement, const ColumnsHandler &onColumns, const RowHandler &onRow);
    // The same with each row read in place, no value copied (RowView).
    using RowViewHandler = std::function<void(const RowView &)>;
    void executeInPlace(const QString &statement, const ColumnsHandler &onColumns,
                        const RowViewHandler &onRow);
    // Runs one statement into result (reusing its memory), keeping the rows as read: each value is
    // converted only when asked for.
    void executeLazy(const QString &statement, LazyResult &result);
    // The notes gathered since the last call: Access columns that could not be understood and
    // read as NULL.
    QStringList takeNotes();
    // Keyword conditions answered from a trigram index first (on unless turned off, which only
    // the tests that compare both ways do).
    void setKeywordIndexEnabled(bool enabled);
    // Whether a keyword index is still being built (or kept in the cache) in the background.
    bool keywordIndexBuilding() const;

private:
    explicit DatabaseEngine(const QString &path);

    void openSqlite(const QByteArray &header);
    void openAccess();
    void configure();
    void importTables(const QStringList &names);
    void importTable(const QString &table);
    void addSpelling(const QString &spelling, const QString &table);
    void keepBuiltIndexes();
    void run(const char *sql);
    QString errorText(int code) const;
    static int authorize(void *engine, int action, const char *, const char *, const char *, const char *);

    QString m_path;
    sqlite3 *m_db = nullptr;
    std::unique_ptr<MdbReader> m_access;
    std::unique_ptr<ReadCache> m_readCache; // the Access tables read in earlier runs
    std::unique_ptr<KeywordIndex> m_keywordIndex;
    bool m_keywordIndexEnabled = true;
    QTimer m_indexSlices;
    QHash<QString, QString> m_accessTables; // every Access table, by case-folded name
    QSet<QString> m_importedTables;         // case-folded names of the tables copied so far
    QSet<QString> m_spellings;              // other spellings of a table name, made views
    QStringList m_notes;
    bool m_readOnly = false; // authorizer on: statements of the program
};
