#pragma once

#include <QStringList>
#include <QTemporaryDir>

// A throw-away folder laid out as the program expects its database: <base>/Database/ZELT.mdb.
// The database is either a copy of a given file or a small SQLite database built from statements,
// so no test ever touches a shared file.
class ScratchDatabase
{
public:
    ScratchDatabase();
    ScratchDatabase(const ScratchDatabase &) = delete;
    ScratchDatabase &operator=(const ScratchDatabase &) = delete;

    QString baseDirectory() const { return m_dir.path(); }
    QString databasePath() const;
    QString error() const { return m_error; }

    bool copyFrom(const QString &source);
    // Runs each statement on a new SQLite database; false (and error()) on the first failure.
    bool create(const QStringList &statements);
    // Writes raw bytes as the database file (a damaged database).
    bool writeRaw(const QByteArray &bytes);

private:
    bool prepareFolder();

    QTemporaryDir m_dir;
    QString m_error;
};
