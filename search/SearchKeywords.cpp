#include "search/SearchKeywords.h"

#include "data/Connection.h"
#include "data/DataError.h"
#include "data/Query.h"

namespace
{

const QString KeyColumns[] = {QStringLiteral("Codigo_Cla"), QStringLiteral("Codigo_Sub"),
                              QStringLiteral("Codigo_Cla_Seq"), QStringLiteral("Descricao_Cla")};

QString keyOf(const QVector<QVariant> &values)
{
    QStringList parts;
    for (const QVariant &value : values)
        parts.append(value.isValid() ? value.toString() : QStringLiteral("\x01"));
    return parts.join(QChar(0x1F));
}

int columnOf(const ResultSet &result, const QString &name)
{
    for (int i = 0; i < result.columns.size(); ++i) {
        if (result.columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace

SearchKeywords::SearchKeywords(Query &results, Connection &connection)
    : m_results(results), m_connection(connection)
{
    m_reloaded = QObject::connect(&m_results, &Query::reloaded, [this] { m_loaded = false; });
}

SearchKeywords::~SearchKeywords()
{
    QObject::disconnect(m_reloaded);
}

QString SearchKeywords::ofRow(int row)
{
    if (!m_loaded)
        load();
    return row >= 0 && row < m_keywords.size() ? m_keywords[row] : QString();
}

QString SearchKeywords::rowKey(int row) const
{
    QVector<QVariant> values;
    for (const QString &column : KeyColumns) {
        const int index = m_results.columnIndex(column);
        values.append(index < 0 ? QVariant() : m_results.value(row, index));
    }
    return keyOf(values);
}

void SearchKeywords::load()
{
    m_keywords.clear();
    const QString statement = m_results.sql().join(QLatin1Char('\n'));
    if (!m_results.isOpen() || !statement.startsWith(QLatin1String("SELECT "), Qt::CaseInsensitive))
        return;
    const ResultSet found = m_connection.execute(
        QLatin1String("SELECT Palavra_Chave AS PalavrasDaAtividade, ") + statement.mid(7));

    // Equal keys (the same activity listed twice) take their keyword lists in the order of the
    // rows, which both statements share.
    QHash<QString, QVector<QString>> byKey;
    int keyColumns[4];
    for (int i = 0; i < 4; ++i)
        keyColumns[i] = columnOf(found, KeyColumns[i]);
    for (const QVector<QVariant> &row : found.rows) {
        QVector<QVariant> key;
        for (const int column : keyColumns)
            key.append(column < 0 ? QVariant() : row[column]);
        byKey[keyOf(key)].append(row[0].isValid() ? row[0].toString() : QString());
    }
    QHash<QString, int> used;
    m_keywords.resize(m_results.recordCount());
    for (int row = 0; row < m_keywords.size(); ++row) {
        const QString key = rowKey(row);
        const QVector<QString> &lists = byKey[key];
        const int next = used[key]++;
        if (next < lists.size())
            m_keywords[row] = lists[next];
    }
    m_loaded = true;
}
