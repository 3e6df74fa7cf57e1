#include "data/QueryTableModel.h"

#include "data/Query.h"
#include "data/ValueText.h"

QueryTableModel::QueryTableModel(Query &query, const QVector<BoundColumn> &columns, QObject *parent)
    : QAbstractTableModel(parent), m_query(query), m_columns(columns)
{
    connect(&m_query, &Query::aboutToReload, this, [this] { beginResetModel(); });
    connect(&m_query, &Query::reloaded, this, [this] {
        findFields();
        endResetModel();
    });
    findFields();
}

// Positions looked up once per result rather than for every cell painted.
void QueryTableModel::findFields()
{
    m_fields.resize(m_columns.size());
    for (int c = 0; c < m_columns.size(); ++c)
        m_fields[c] = m_query.columnIndex(m_columns.at(c).field);
}

QString QueryTableModel::columnField(int column) const
{
    return m_columns.value(column).field;
}

void QueryTableModel::setColumnField(int column, const QString &field)
{
    if (column < 0 || column >= m_columns.size() || m_columns[column].field == field)
        return;
    m_columns[column].field = field;
    m_fields[column] = m_query.columnIndex(field);
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, column), index(rowCount() - 1, column));
}

QString QueryTableModel::columnTitle(int column) const
{
    return m_columns.value(column).title;
}

void QueryTableModel::setColumnTitle(int column, const QString &title)
{
    if (column < 0 || column >= m_columns.size() || m_columns[column].title == title)
        return;
    m_columns[column].title = title;
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

void QueryTableModel::setAccessibleColumnTitle(int column, const QString &title)
{
    if (column < 0 || column >= m_columns.size())
        return;
    m_accessibleTitles.resize(m_columns.size());
    m_accessibleTitles[column] = title;
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

int QueryTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_query.recordCount();
}

int QueryTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant QueryTableModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role != Qt::DisplayRole && role != Qt::UserRole)
        return {};
    if (role == Qt::DisplayRole)
        return displayText(index.row(), index.column());
    return m_query.value(index.row(), m_fields.at(index.column()));
}

QString QueryTableModel::displayText(int row, int column) const
{
    // A field missing from the result shows as an empty column rather than failing a paint.
    return column >= 0 && column < m_fields.size() ? valueText(m_query.value(row, m_fields.at(column)))
                                                   : QString();
}

QByteArrayView QueryTableModel::storedValue(int row, int column) const
{
    return column >= 0 && column < m_fields.size() ? m_query.storedValue(row, m_fields.at(column))
                                                   : QByteArrayView();
}

QVariant QueryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_columns.size())
        return m_columns.at(section).title;
    if (orientation == Qt::Horizontal && role == Qt::AccessibleTextRole && section >= 0 &&
        section < m_columns.size()) {
        const QString title = m_accessibleTitles.value(section);
        return title.isEmpty() ? m_columns.at(section).title : title;
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}
