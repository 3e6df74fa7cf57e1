#pragma once

#include "data/LazyRows.h"
#include "data/ResultSet.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class RowView;

class DatabaseEngine;

// The one database connection (ADCMain). The connection string follows the Jet form
// "Provider=...;Data Source=<path>;..."; only Data Source is read. The file's content decides the
// reader (SQLite or Access); the file is only ever read.
class Connection
{
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    void setConnectionString(const QString &connectionString);
    QString connectionString() const { return m_connectionString; }
    // The path named by Data Source, with Windows separators turned into '/'.
    QString databasePath() const;

    void open(); // throws DataError naming the file and the reason
    void close();
    bool isOpen() const;

    // Runs one statement in the Access dialect and returns every row; throws DataError.
    ResultSet execute(const QString &statement);
    // The same, handing the rows over one by one (DatabaseEngine::execute); throws DataError.
    void execute(const QString &statement,
                 const std::function<void(const QVector<ResultColumn> &)> &onColumns,
                 const std::function<void(QVector<QVariant> &)> &onRow);
    // The same with each row read in place (DatabaseEngine::executeInPlace); throws DataError.
    void executeInPlace(const QString &statement,
                        const std::function<void(const QVector<ResultColumn> &)> &onColumns,
                        const std::function<void(const RowView &)> &onRow);
    // The same into result (its memory reused), keeping the rows as read: each value is converted
    // when asked for.
    void executeLazy(const QString &statement, LazyResult &result);
    // Notes about Access columns read as NULL because their type is not understood, gathered
    // since the last call.
    QStringList takeNotes();
    // Whether the search index of a table is still being built while the program is idle.
    bool isIndexing() const;

private:
    QString m_connectionString;
    std::unique_ptr<DatabaseEngine> m_engine;
};
