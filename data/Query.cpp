#include "data/Query.h"

#include "data/Connection.h"
#include "data/DataError.h"
#include "data/TextFold.h"
#include "data/ValueText.h"

#include <cmath>

namespace
{

DataError conversionError(const QString &field, const QString &target, const QString &reason)
{
    return DataError(QStringLiteral("Cannot convert field %1 to %2: %3").arg(field, target, reason));
}

} // namespace

QString Field::asString() const
{
    if (!m_hasRow)
        throw conversionError(m_name, QStringLiteral("text"), QStringLiteral("there is no current row"));
    if (isNull()) {
        if (m_longText)
            return {};
        throw conversionError(m_name, QStringLiteral("text"), QStringLiteral("the value is NULL"));
    }
    return valueText(m_value);
}

qlonglong Field::asInteger() const
{
    const QString target = QStringLiteral("an integer");
    if (!m_hasRow)
        throw conversionError(m_name, target, QStringLiteral("there is no current row"));
    if (isNull())
        throw conversionError(m_name, target, QStringLiteral("the value is NULL"));
    switch (m_value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
        return m_value.toLongLong();
    case QMetaType::Double: {
        const double number = m_value.toDouble();
        if (std::isfinite(number) && number == std::trunc(number) && std::fabs(number) < 9.2e18)
            return static_cast<qlonglong>(number);
        break;
    }
    default: {
        bool ok = false;
        const qlonglong number = valueText(m_value).trimmed().toLongLong(&ok);
        if (ok)
            return number;
    }
    }
    throw conversionError(m_name, target, QStringLiteral("'%1' is not an integer").arg(valueText(m_value)));
}

QDateTime Field::asDateTime() const
{
    const QString target = QStringLiteral("a date");
    if (!m_hasRow)
        throw conversionError(m_name, target, QStringLiteral("there is no current row"));
    if (isNull())
        throw conversionError(m_name, target, QStringLiteral("the value is NULL"));
    if (m_value.typeId() == QMetaType::QString) {
        const QString text = m_value.toString().trimmed();
        QDateTime moment = QDateTime::fromString(text, Qt::ISODate);
        if (!moment.isValid()) {
            const QDate day = QDate::fromString(text, Qt::ISODate);
            if (day.isValid())
                moment = QDateTime(day, QTime(0, 0));
        }
        if (moment.isValid())
            return moment;
    }
    throw conversionError(m_name, target, QStringLiteral("'%1' is not a date").arg(valueText(m_value)));
}

Query::Query(Connection &connection, const QString &name, const QStringList &storedSql, QObject *parent)
    : QObject(parent), m_connection(connection), m_sql(storedSql)
{
    setObjectName(name);
}

void Query::open()
{
    const QString statement = m_sql.join(QLatin1Char('\n'));
    Q_EMIT aboutToReload();
    clearResult();
    m_open = false;
    m_current = -1;
    m_eof = true;
    try {
        m_connection.executeLazy(statement, m_result);
        m_converted.resize(size_t(m_result.rows.rowCount()));
    } catch (...) {
        clearResult();
        Q_EMIT reloaded();
        Q_EMIT currentRowChanged(m_current);
        throw;
    }
    m_open = true;
    m_current = isEmpty() ? -1 : 0;
    m_eof = isEmpty();
    Q_EMIT reloaded();
    Q_EMIT currentRowChanged(m_current);
}

void Query::close()
{
    if (!m_open)
        return;
    Q_EMIT aboutToReload();
    clearResult();
    m_open = false;
    m_current = -1;
    m_eof = true;
    Q_EMIT reloaded();
    Q_EMIT currentRowChanged(m_current);
}

void Query::reload(const QString &statement)
{
    close();
    m_sql.clear();
    m_sql.append(statement);
    open();
}

bool Query::eof() const
{
    return m_eof;
}

void Query::clearResult()
{
    m_result.columns.clear();
    m_result.rows.clear(0);
    m_converted = {};
    m_convertedRows = 0;
}

void Query::setCurrentRow(int row)
{
    if (isEmpty())
        return;
    row = qBound(0, row, recordCount() - 1);
    m_eof = false;
    if (row == m_current)
        return;
    m_current = row;
    Q_EMIT currentRowChanged(m_current);
}

void Query::first()
{
    setCurrentRow(0);
}

void Query::next()
{
    if (m_current + 1 < recordCount())
        setCurrentRow(m_current + 1);
    else
        m_eof = true;
}

QString Query::columnName(int column) const
{
    return column >= 0 && column < columnCount() ? m_result.columns.at(column).name : QString();
}

int Query::columnIndex(const QString &name) const
{
    for (int c = 0; c < columnCount(); ++c) {
        if (textfold::equalNoCase(m_result.columns.at(c).name, name))
            return c;
    }
    return -1;
}

bool Query::isLongText(int column) const
{
    return column >= 0 && column < columnCount() && m_result.columns.at(column).longText;
}

Field Query::fieldByName(const QString &name) const
{
    const int column = columnIndex(name);
    if (column < 0)
        throw DataError(QStringLiteral("%1: Field '%2' not found").arg(objectName(), name));
    return field(column);
}

Field Query::field(int column) const
{
    if (column < 0 || column >= columnCount())
        throw DataError(QStringLiteral("%1: no field at position %2").arg(objectName()).arg(column));
    const ResultColumn &description = m_result.columns.at(column);
    if (m_current < 0)
        return Field(description.name, {}, description.longText, false);
    return Field(description.name, value(m_current, column), description.longText);
}

QVariant Query::value(int row, int column) const
{
    if (row < 0 || row >= recordCount() || column < 0 || column >= columnCount())
        return {};
    QVector<QVariant> &converted = m_converted[size_t(row)];
    if (converted.isEmpty()) {
        converted.reserve(columnCount());
        for (int c = 0; c < columnCount(); ++c)
            converted.append(m_result.rows.value(row, c));
        ++m_convertedRows;
    }
    return converted.at(column);
}

QByteArrayView Query::storedValue(int row, int column) const
{
    return m_result.rows.storedValue(row, column);
}

bool Query::locate(const QString &column, const QString &value)
{
    const int index = columnIndex(column);
    if (index < 0)
        throw DataError(QStringLiteral("%1: Field '%2' not found").arg(objectName(), column));
    for (int row = 0; row < recordCount(); ++row) {
        const QVariant candidate = this->value(row, index);
        if (candidate.isValid() && !candidate.isNull() &&
            textfold::equalNoCase(valueText(candidate), value)) {
            setCurrentRow(row);
            return true;
        }
    }
    return false;
}
