#include "data/TableReadTurn.h"

#include <QSet>

#include <condition_variable>
#include <mutex>

namespace
{

std::mutex g_mutex;
std::condition_variable g_released;
QSet<QString> g_reading; // "path\x1ftable" of the tables some engine is reading now

} // namespace

TableReadTurn::TableReadTurn(const QString &accessPath, const QString &table)
    : m_key(accessPath + QChar(0x1F) + table.toCaseFolded())
{
    std::unique_lock<std::mutex> lock(g_mutex);
    while (g_reading.contains(m_key)) {
        m_waited = true;
        g_released.wait(lock);
    }
    g_reading.insert(m_key);
}

TableReadTurn::~TableReadTurn()
{
    {
        const std::lock_guard<std::mutex> lock(g_mutex);
        g_reading.remove(m_key);
    }
    g_released.notify_all();
}
