#pragma once

#include "search/SearchVocabulary.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <memory>

class QThread;

// Reads each edition's vocabulary once, on a thread of its own with a connection of its own, so
// that neither typing nor a search waits for it.
class VocabularyLoader : public QObject
{
    Q_OBJECT
public:
    explicit VocabularyLoader(QObject *parent = nullptr);
    ~VocabularyLoader() override; // waits for a read under way

    // The edition's vocabulary once read (empty when it could not be read); null while it is
    // being read, and the first call starts the read.
    std::shared_ptr<const SearchVocabulary> vocabulary(const QString &connectionString,
                                                       const QString &prefix);
    // Waits until no read is under way or pending (tests and benchmarks).
    void waitForAll();

Q_SIGNALS:
    void loaded(const QString &prefix);

private:
    void startNext();
    void finished(const QString &key, const QString &prefix, std::shared_ptr<const SearchVocabulary> read);

    QHash<QString, std::shared_ptr<const SearchVocabulary>> m_read; // by connection string and prefix
    QStringList m_pending;                                          // keys waiting for the thread
    QHash<QString, QStringList> m_requests;                         // key -> {connection, prefix}
    QThread *m_thread = nullptr;
};

// Reads an edition's vocabulary through a connection of its own; throws DataError.
SearchVocabulary readVocabulary(const QString &connectionString, const QString &prefix);
