#include "support/ScratchDatabase.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

ScratchDatabase::ScratchDatabase()
{
    if (!m_dir.isValid())
        m_error = m_dir.errorString();
}

QString ScratchDatabase::databasePath() const
{
    return m_dir.filePath(QStringLiteral("Database/ZELT.mdb"));
}

bool ScratchDatabase::prepareFolder()
{
    if (!m_dir.isValid())
        return false;
    QFile::remove(databasePath());
    if (!QDir(m_dir.path()).mkpath(QStringLiteral("Database"))) {
        m_error = QStringLiteral("cannot create %1/Database").arg(m_dir.path());
        return false;
    }
    return true;
}

bool ScratchDatabase::copyFrom(const QString &source)
{
    if (!prepareFolder())
        return false;
    QFile file(source);
    if (!file.copy(databasePath())) {
        m_error = QStringLiteral("cannot copy %1: %2").arg(source, file.errorString());
        return false;
    }
    // A copy of a read-only file stays read-only; the tests may need to replace it.
    QFile::setPermissions(databasePath(), QFile::ReadOwner | QFile::WriteOwner);
    return true;
}

bool ScratchDatabase::create(const QStringList &statements)
{
    if (!prepareFolder())
        return false;
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(databasePath()).constData(), &db) != SQLITE_OK) {
        m_error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return false;
    }
    bool ok = true;
    for (const QString &statement : statements) {
        char *message = nullptr;
        if (sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
            m_error = QStringLiteral("%1: %2").arg(statement, QString::fromUtf8(message));
            sqlite3_free(message);
            ok = false;
            break;
        }
    }
    sqlite3_close(db);
    return ok;
}

bool ScratchDatabase::writeRaw(const QByteArray &bytes)
{
    if (!prepareFolder())
        return false;
    QFile file(databasePath());
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        m_error = file.errorString();
        return false;
    }
    return true;
}
