#include "search/VocabularyLoader.h"

#include "browse/HierarchyStatements.h"
#include "data/Connection.h"

#include <QCoreApplication>
#include <QThread>

#include <exception>

namespace
{

QString textOf(const QVariant &value)
{
    return value.isValid() && !value.isNull() ? value.toString() : QString();
}

} // namespace

SearchVocabulary readVocabulary(const QString &connectionString, const QString &prefix)
{
    Connection connection;
    connection.setConnectionString(connectionString);
    connection.open();
    QStringList stopWords;
    for (const QVector<QVariant> &row :
         connection.execute(QStringLiteral("SELECT Palavra_Pan FROM ZELT_PALAVRA_NAO")).rows)
        stopWords.append(textOf(row[0]));
    // Many activities share a keyword list, and many a code: each distinct one is read once, which
    // keeps the read small on large editions.
    const QString table = checkedTablePrefix(prefix) + QStringLiteral("_Atividade");
    const ResultSet lists = connection.execute(
        QStringLiteral("SELECT Palavra_Chave, COUNT(*) FROM %1 GROUP BY Palavra_Chave").arg(table));
    const ResultSet codes =
        connection.execute(QStringLiteral("SELECT DISTINCT Codigo_Cla, Codigo_Sub FROM %1").arg(table));
    QVector<SearchVocabulary::Activity> activities;
    activities.reserve(lists.rows.size() + codes.rows.size());
    for (const QVector<QVariant> &row : lists.rows)
        activities.append({textOf(row[0]), QString(), QString(), row[1].toInt()});
    for (const QVector<QVariant> &row : codes.rows)
        activities.append({QString(), textOf(row[0]), textOf(row[1]), 0});
    return SearchVocabulary(activities, stopWords);
}

VocabularyLoader::VocabularyLoader(QObject *parent) : QObject(parent) {}

VocabularyLoader::~VocabularyLoader()
{
    m_pending.clear();
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

std::shared_ptr<const SearchVocabulary> VocabularyLoader::vocabulary(const QString &connectionString,
                                                                     const QString &prefix)
{
    if (prefix.isEmpty() || connectionString.isEmpty())
        return {};
    const QString key = connectionString + QChar(0x1F) + prefix;
    const auto read = m_read.constFind(key);
    if (read != m_read.constEnd())
        return *read;
    if (!m_requests.contains(key)) {
        m_requests.insert(key, {connectionString, prefix});
        m_pending.append(key);
        startNext();
    }
    return {};
}

void VocabularyLoader::waitForAll()
{
    while (m_thread || !m_pending.isEmpty()) {
        if (m_thread)
            m_thread->wait();
        QCoreApplication::sendPostedEvents(this);
    }
}

void VocabularyLoader::startNext()
{
    if (m_thread || m_pending.isEmpty())
        return;
    const QString key = m_pending.takeFirst();
    const QString connectionString = m_requests[key][0];
    const QString prefix = m_requests[key][1];
    m_thread = QThread::create([this, key, connectionString, prefix] {
        std::shared_ptr<const SearchVocabulary> read;
        try {
            read = std::make_shared<const SearchVocabulary>(readVocabulary(connectionString, prefix));
        } catch (const std::exception &) {
            // No completions or offers for an edition whose activities cannot be read; the search
            // itself reports the fault.
            read = std::make_shared<const SearchVocabulary>();
        }
        QMetaObject::invokeMethod(
            this, [this, key, prefix, read] { finished(key, prefix, read); }, Qt::QueuedConnection);
    });
    m_thread->start();
}

void VocabularyLoader::finished(const QString &key, const QString &prefix,
                                std::shared_ptr<const SearchVocabulary> read)
{
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    m_read.insert(key, std::move(read));
    startNext();
    emit loaded(prefix);
}
