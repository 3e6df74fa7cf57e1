#pragma once

#include <QObject>

class Query;

// Ties a query to the grids, memos and lookup lists that show it.
class DataSource : public QObject
{
    Q_OBJECT
public:
    DataSource(Query &dataSet, const QString &name, QObject *parent = nullptr)
        : QObject(parent), m_dataSet(dataSet)
    {
        setObjectName(name);
    }
    Query &dataSet() const { return m_dataSet; }

private:
    Query &m_dataSet;
};
