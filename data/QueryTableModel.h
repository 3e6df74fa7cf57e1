#pragma once

#include <QAbstractTableModel>
#include <QVector>

class Query;

// A column of a grid: the result field it shows (looked up case-blind) and its title.
struct BoundColumn {
    QString field;
    QString title;
};

// Rows of a query as a table; display text and raw value kept apart (Qt::UserRole holds the raw
// QVariant). Resets around every reload of the query.
class QueryTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    QueryTableModel(Query &query, const QVector<BoundColumn> &columns, QObject *parent = nullptr);

    Query &query() const { return m_query; }
    QString columnField(int column) const;
    void setColumnField(int column, const QString &field);
    QString columnTitle(int column) const;
    void setColumnTitle(int column, const QString &title);
    // The title a screen reader gives the column's cells (Qt::AccessibleTextRole), also where the
    // shown title is empty or a sentence; unset, the shown title.
    void setAccessibleColumnTitle(int column, const QString &title);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // The text a cell shows, straight from the query's row, without a model index.
    QString displayText(int row, int column) const;
    // The cell's value as stored, not converted: equal for equal values (empty for a missing field).
    QByteArrayView storedValue(int row, int column) const;

private:
    void findFields();

    Query &m_query;
    QVector<BoundColumn> m_columns;
    QVector<int> m_fields; // each column's position in the query's result, -1 when absent
    QVector<QString> m_accessibleTitles;
};
