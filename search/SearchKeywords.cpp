#include "search/SearchKeywords.h"

#include "data/Connection.h"
#include "data/DataError.h"
#include "data/Query.h"

namespace
{

const QString KeyColumns[] = {QStringLiteral("Codigo_Cla"), QStringLiteral("Codigo_Sub"),
                              QStringLiteral("Codigo_Cla_Seq"), QStringLiteral("Descricao_Cla")};

// A row's key: the stored values of its key columns, each after its length, so that no two
// different rows share one. Stored values are compared as they are, none converted.
template <class ValueAt> QByteArray keyOf(const int (&columns)[4], const ValueAt &valueAt)
{
    QByteArray key;
    for (const int column : columns) {
        const QByteArrayView value = column < 0 ? QByteArrayView() : valueAt(column);
        key += QByteArray::number(value.size()) + ':';
        key += value;
    }
    return key;
}

int columnOf(const LazyResult &result, const QString &name)
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

void SearchKeywords::load()
{
    m_keywords.clear();
    const QString statement = m_results.sql().join(QLatin1Char('\n'));
    if (!m_results.isOpen() || !statement.startsWith(QLatin1String("SELECT "), Qt::CaseInsensitive))
        return;
    LazyResult found;
    m_connection.executeLazy(
        QLatin1String("SELECT Palavra_Chave AS PalavrasDaAtividade, ") + statement.mid(7), found);

    // Equal keys (the same activity listed twice) take their keyword lists in the order of the
    // rows, which both statements share.
    int foundColumns[4];
    int shownColumns[4];
    for (int i = 0; i < 4; ++i) {
        foundColumns[i] = columnOf(found, KeyColumns[i]);
        shownColumns[i] = m_results.columnIndex(KeyColumns[i]);
    }
    QHash<QByteArray, QVector<QString>> byKey;
    for (int row = 0; row < found.rows.rowCount(); ++row) {
        const QVariant keywords = found.rows.value(row, 0);
        byKey[keyOf(foundColumns, [&](int column) { return found.rows.storedValue(row, column); })].append(
            keywords.isValid() ? keywords.toString() : QString());
    }
    QHash<QByteArray, int> used;
    m_keywords.resize(m_results.recordCount());
    for (int row = 0; row < m_keywords.size(); ++row) {
        const QByteArray key =
            keyOf(shownColumns, [&](int column) { return m_results.storedValue(row, column); });
        const QVector<QString> &lists = byKey[key];
        const int next = used[key]++;
        if (next < lists.size())
            m_keywords[row] = lists[next];
    }
    m_loaded = true;
}
