#include "search/VocabularyLoader.h"

#include "browse/HierarchyStatements.h"
#include "data/Connection.h"
#include "search/ActivityGroups.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>
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
    // Many activities share a keyword list and codes: each distinct group is read once, which
    // keeps the read small on large editions, and the groups count the offered searches.
    const QString table = checkedTablePrefix(prefix) + QStringLiteral("_Atividade");
    const ResultSet read =
        connection.execute(QStringLiteral("SELECT Palavra_Chave, Codigo_Cla, Codigo_Sub, COUNT(*) FROM %1"
                                          " GROUP BY Palavra_Chave, Codigo_Cla, Codigo_Sub")
                               .arg(table));
    // The keywords are counted once per distinct list (in the order read, which decides how a
    // keyword is written), the codes once per distinct pair.
    QVector<SearchVocabulary::Activity> activities;
    QHash<QString, int> listAt;
    QSet<std::pair<QString, QString>> codes;
    QVector<ActivityGroups::Row> groups;
    groups.reserve(read.rows.size());
    for (const QVector<QVariant> &row : read.rows) {
        const QString list = textOf(row[0]);
        const auto known = listAt.constFind(list);
        if (known == listAt.constEnd()) {
            listAt.insert(list, int(activities.size()));
            activities.append({list, QString(), QString(), row[3].toInt()});
        } else {
            activities[*known].count += row[3].toInt();
        }
        codes.insert({textOf(row[1]), textOf(row[2])});
        groups.append({row[0], row[1], row[2], row[3].toLongLong()});
    }
    for (const auto &[cla, sub] : codes)
        activities.append({QString(), cla, sub, 0});
    SearchVocabulary vocabulary(activities, stopWords);
    vocabulary.setGroups(std::make_shared<const ActivityGroups>(groups));
    return vocabulary;
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
