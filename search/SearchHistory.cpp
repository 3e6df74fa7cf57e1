#include "search/SearchHistory.h"

#include "data/TextFold.h"
#include "search/SearchExpression.h"

namespace
{

const QString Key = QStringLiteral("PesquisasRecentes");
constexpr int WriteInterval = 1000; // milliseconds

bool sameSearch(const QString &a, const QString &b)
{
    return textfold::equalNoCase(RemoveAcentos(a), RemoveAcentos(b));
}

} // namespace

SearchHistory::SearchHistory()
    : m_settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("ZELT"), QStringLiteral("ZELT"))
{
    for (const QString &entry : m_settings.value(Key).toStringList()) {
        if (!trimSearchText(entry).isEmpty() && m_entries.size() < Limit)
            m_entries.append(entry);
    }
    m_writeLater.setSingleShot(true);
    m_writeLater.callOnTimeout([this] { write(); });
}

SearchHistory::~SearchHistory()
{
    if (m_writeLater.isActive())
        write();
}

QStringList SearchHistory::entries() const
{
    return m_entries;
}

void SearchHistory::remember(const QString &texto)
{
    const QString entry = trimSearchText(texto);
    if (entry.isEmpty())
        return;
    QStringList kept{entry};
    for (const QString &earlier : std::as_const(m_entries)) {
        if (!sameSearch(earlier, entry) && kept.size() < Limit)
            kept.append(earlier);
    }
    m_entries = kept;
    changed();
}

void SearchHistory::clear()
{
    m_entries.clear();
    changed();
}

void SearchHistory::changed()
{
    if (m_writeLater.isActive())
        return;
    const qint64 since = m_sinceWrite.isValid() ? m_sinceWrite.elapsed() : WriteInterval;
    if (since >= WriteInterval)
        write();
    else
        m_writeLater.start(int(WriteInterval - since));
}

void SearchHistory::write()
{
    m_writeLater.stop();
    if (m_entries.isEmpty())
        m_settings.remove(Key);
    else
        m_settings.setValue(Key, m_entries);
    m_settings.sync();
    m_sinceWrite.start();
}
