#include "TestDatabase.h"

#include <QFile>

#include <sqlite3.h>

namespace testdb
{

QString createSqlite(const QString &path, const QStringList &statements)
{
    QFile::remove(path);
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return message;
    }
    QString failure;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (const QString &statement : statements) {
        char *error = nullptr;
        if (sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            failure = QStringLiteral("%1 in: %2").arg(QString::fromUtf8(error), statement);
            sqlite3_free(error);
            break;
        }
    }
    sqlite3_exec(db, failure.isEmpty() ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return failure;
}

bool copyFile(const QString &source, const QString &path)
{
    QFile::remove(path);
    if (!QFile::copy(source, path))
        return false;
    return QFile::setPermissions(path,
                                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
}

QString connectionStringFor(const QString &path)
{
    QString windowsPath = path;
    windowsPath.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1;Persist Security Info=False")
        .arg(windowsPath);
}

} // namespace testdb
