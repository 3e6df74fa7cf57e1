#pragma once

#include "data/LazyRows.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>

#include <vector>

class Connection;

// One column of a query's current row, looked up by name or position.
class Field
{
public:
    Field(const QString &name, const QVariant &value, bool longText, bool hasRow = true)
        : m_name(name), m_value(value), m_longText(longText), m_hasRow(hasRow)
    {
    }
    QString name() const { return m_name; }
    bool isNull() const { return !m_value.isValid() || m_value.isNull(); }
    QVariant value() const { return m_value; }
    // Strict conversions: NULL (or no current row) throws DataError naming the column,
    // except asString() on a memo column, which gives the empty text.
    QString asString() const;
    qlonglong asInteger() const;
    QDateTime asDateTime() const;

private:
    QString m_name;
    QVariant m_value;
    bool m_longText;
    bool m_hasRow;
};

// A query object of the data module: SQL text, static result, a current row that moves freely.
// Reload protocol: close(); sql().clear(); sql().append(statement); open(). reload() does the four.
class Query : public QObject
{
    Q_OBJECT
public:
    Query(Connection &connection, const QString &name, const QStringList &storedSql = {},
          QObject *parent = nullptr);

    QString name() const { return objectName(); }
    QStringList &sql() { return m_sql; }
    const QStringList &sql() const { return m_sql; }

    // Runs sql() joined by line breaks (again when open); the first row becomes current.
    // Throws DataError, leaving the query closed.
    void open();
    void close();
    bool isOpen() const { return m_open; }
    void reload(const QString &statement);

    int recordCount() const { return m_result.rows.rowCount(); }
    bool isEmpty() const { return recordCount() == 0; }
    bool eof() const;                            // true when empty or moved past the last row
    int currentRow() const { return m_current; } // -1 when there is no row
    void setCurrentRow(int row);                 // clamps into range; emits currentRowChanged when it moves
    void first();
    void next();

    int columnCount() const { return m_result.columns.size(); }
    QString columnName(int column) const;
    int columnIndex(const QString &name) const; // case-blind; -1 when absent
    bool isLongText(int column) const;

    Field fieldByName(const QString &name) const; // throws DataError when the column is absent
    Field field(int column) const;
    QVariant value(int row, int column) const;
    // The value as the engine gave it, not converted: equal for equal values.
    QByteArrayView storedValue(int row, int column) const;
    // How many rows have been converted into values so far (a row is converted when first read).
    int convertedRows() const { return m_convertedRows; }

    // Makes the first row whose column equals value (case-blind text comparison) current.
    bool locate(const QString &column, const QString &value);

Q_SIGNALS:
    void aboutToReload();            // before open() and close() change the rows
    void reloaded();                 // after open() and close(): models reset
    void currentRowChanged(int row); // also after open() and close(): the row's content changed

private:
    void clearResult();

    Connection &m_connection;
    QStringList m_sql;
    LazyResult m_result;
    mutable std::vector<QVector<QVariant>> m_converted; // by row; empty until read
    mutable int m_convertedRows = 0;
    bool m_open = false;
    bool m_eof = true;
    int m_current = -1;
};
