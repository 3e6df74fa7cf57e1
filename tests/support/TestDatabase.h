#pragma once

#include <QString>
#include <QStringList>

// Helpers for tests that need a database file of their own.
namespace testdb
{

// Creates an SQLite database at path from SQL statements (CREATE TABLE, INSERT, ...), run in
// order. Returns the empty text on success, else SQLite's message naming the statement, so a
// test can write QCOMPARE(testdb::createSqlite(path, statements), QString()).
QString createSqlite(const QString &path, const QStringList &statements);

// Copies source to path as a writable file; returns false when it could not.
bool copyFile(const QString &source, const QString &path);

// A connection string in the program's form naming path, with Windows separators.
QString connectionStringFor(const QString &path);

} // namespace testdb
