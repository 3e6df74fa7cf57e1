#pragma once

#include <QString>

// Engines of one process that need the same table of the same Access file take turns reading it:
// the window's engine and the search vocabulary's open the same edition at once, and two readers
// over the same pages would take twice the processor and hold the table twice in memory. The
// later one waits while the first reads and keeps the table in the cache, then loads it from there.
class TableReadTurn
{
public:
    TableReadTurn(const QString &accessPath, const QString &table);
    ~TableReadTurn();
    TableReadTurn(const TableReadTurn &) = delete;
    TableReadTurn &operator=(const TableReadTurn &) = delete;

    // Whether another engine held the turn when this one asked: the table may be cached now.
    bool waited() const { return m_waited; }

private:
    QString m_key;
    bool m_waited = false;
};
