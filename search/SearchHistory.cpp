#include "search/SearchHistory.h"

#include "data/TextFold.h"
#include "search/SearchExpression.h"

namespace
{

const QString Key = QStringLiteral("PesquisasRecentes");

bool sameSearch(const QString &a, const QString &b)
{
    return textfold::equalNoCase(RemoveAcentos(a), RemoveAcentos(b));
}

} // namespace

SearchHistory::SearchHistory()
    : m_settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("ZELT"), QStringLiteral("ZELT"))
{
}

QStringList SearchHistory::entries() const
{
    QStringList kept;
    for (const QString &entry : m_settings.value(Key).toStringList()) {
        if (!trimSearchText(entry).isEmpty() && kept.size() < Limit)
            kept.append(entry);
    }
    return kept;
}

void SearchHistory::remember(const QString &texto)
{
    const QString entry = trimSearchText(texto);
    if (entry.isEmpty())
        return;
    QStringList kept{entry};
    for (const QString &earlier : entries()) {
        if (!sameSearch(earlier, entry) && kept.size() < Limit)
            kept.append(earlier);
    }
    m_settings.setValue(Key, kept);
    m_settings.sync();
}

void SearchHistory::clear()
{
    m_settings.remove(Key);
    m_settings.sync();
}
