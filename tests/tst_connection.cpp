#include "support/PermissionsHonoured.h"
#include "support/TestDatabase.h"

#include "data/Connection.h"
#include "data/DataError.h"
#include "data/RowView.h"

#include <QtTest>

#include <sqlite3.h>
#include <sys/stat.h>

// Opening files of every kind, and the promise to only ever read them.
class TestConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void databasePath_data();
    void databasePath();
    void badFile_data();
    void badFile();
    void unreadableFile();
    void refusesAnythingButReading_data();
    void refusesAnythingButReading();
    void leavesTheFileUntouched();
    void walFileGetsNoCompanions();
    void keepsNoLockBetweenStatements();
    void closedConnectionRefusesStatements();
    void utf16File();

private:
    QString makeDatabase(const QString &name);
    QString openError(const QString &path);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestConnection::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString TestConnection::makeDatabase(const QString &name)
{
    const QString path = m_dir->filePath(name);
    const QString failure = testdb::createSqlite(
        path, {"CREATE TABLE Secao (Codigo_Sec TEXT, Descricao_Sec TEXT)",
               "INSERT INTO Secao VALUES ('A', 'Agricultura')", "CREATE TABLE Texto (Conteudo TEXT)",
               "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
               "INSERT INTO Texto SELECT printf('%0100d', i) FROM n"});
    return failure.isEmpty() ? path : QString();
}

QString TestConnection::openError(const QString &path)
{
    Connection connection;
    connection.setConnectionString(testdb::connectionStringFor(path));
    try {
        connection.open();
        connection.execute(QStringLiteral("SELECT * FROM Secao"));
    } catch (const DataError &error) {
        return error.message();
    }
    return {};
}

void TestConnection::databasePath_data()
{
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<QString>("path");

    const auto row = [](const char *name, const QString &connectionString, const QString &path) {
        QTest::newRow(name) << connectionString << path;
    };

    row("program's form",
        "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/opt/zelt/Database\\ZELT.mdb;Persist Security "
        "Info=False",
        "/opt/zelt/Database/ZELT.mdb");
    row("key case and blanks", "provider=x; data source = /a/b.mdb ;", "/a/b.mdb");
    row("quoted value", "Data Source=\"/a;b/c.mdb\";Mode=Read", "/a;b/c.mdb");
    row("no Data Source", "Provider=Microsoft.Jet.OLEDB.4.0", "");
}

void TestConnection::databasePath()
{
    QFETCH(QString, connectionString);
    QFETCH(QString, path);
    Connection connection;
    connection.setConnectionString(connectionString);
    QCOMPARE(connection.databasePath(), path);
}

void TestConnection::badFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");

    const auto row = [](const char *name, const QString &kind, const QString &reason) {
        QTest::newRow(name) << kind << reason;
    };

    row("missing", "missing", "file not found");
    row("empty", "empty", "empty");
    row("text", "text", "not an SQLite or Access database");
    row("directory", "directory", "directory");
    row("named pipe", "fifo", "not a regular file");
    row("SQLite header only", "header only", "truncated");
    row("SQLite cut inside a page", "cut inside a page", "truncated");
    row("SQLite cut at a page", "cut at a page", "truncated");
    row("SQLite header then noise", "noise", "");
    row("Access signature only", "jet signature", "truncated");
}

void TestConnection::badFile()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString good = makeDatabase(QStringLiteral("good.db"));
    QVERIFY(!good.isEmpty());
    QFile source(good);
    QVERIFY(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();
    const QString path = m_dir->filePath(QStringLiteral("ZELT.mdb"));
    const auto write = [&path](const QByteArray &content) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
    };

    if (kind == QLatin1String("empty"))
        QVERIFY(write({}));
    else if (kind == QLatin1String("text"))
        QVERIFY(write("Isto não é um banco de dados.\n"));
    else if (kind == QLatin1String("directory"))
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("ZELT.mdb")));
    else if (kind == QLatin1String("fifo"))
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind == QLatin1String("header only"))
        QVERIFY(write(bytes.left(50)));
    else if (kind == QLatin1String("cut inside a page"))
        QVERIFY(write(bytes.left(bytes.size() - 1000)));
    else if (kind == QLatin1String("cut at a page"))
        QVERIFY(write(bytes.left(bytes.size() - 4096)));
    else if (kind == QLatin1String("noise"))
        QVERIFY(write(bytes.left(100) + QByteArray(bytes.size() - 100, '\x5a')));
    else if (kind == QLatin1String("jet signature"))
        QVERIFY(write(QByteArray("\x00\x01\x00\x00Standard Jet DB\x00\x01", 21) + QByteArray(1000, '\0')));

    const QString message = openError(path);
    QVERIFY2(!message.isEmpty(), "no error");
    QVERIFY2(message.contains(path), qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
}

void TestConnection::unreadableFile()
{
    const QString path = makeDatabase(QStringLiteral("locked.db"));
    QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    const PermissionsHonoured honoured;
    QVERIFY2(honoured.error().isEmpty(), qPrintable(honoured.error()));
    const QString message = openError(path);
    QVERIFY2(message.contains(path) && message.contains(QLatin1String("ermission")), qPrintable(message));
}

void TestConnection::refusesAnythingButReading_data()
{
    QTest::addColumn<QString>("statement");

    QTest::newRow("INSERT") << "INSERT INTO Secao VALUES ('B', 'Pesca')";
    QTest::newRow("UPDATE") << "UPDATE Secao SET Descricao_Sec = 'x'";
    QTest::newRow("DELETE") << "DELETE FROM Secao";
    QTest::newRow("CREATE") << "CREATE TABLE Nova (x)";
    QTest::newRow("CREATE TEMP") << "CREATE TEMP TABLE Nova (x)";
    QTest::newRow("DROP") << "DROP TABLE Secao";
    QTest::newRow("ATTACH") << "ATTACH DATABASE 'outro.db' AS outro";
    QTest::newRow("PRAGMA write") << "PRAGMA user_version = 7";
    QTest::newRow("PRAGMA read") << "PRAGMA table_info(Secao)";
    QTest::newRow("VACUUM") << "VACUUM";
    QTest::newRow("second statement") << "SELECT * FROM Secao; DELETE FROM Secao";
    QTest::newRow("second SELECT") << "SELECT 1; SELECT 2";
    QTest::newRow("recursive SELECT") << "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) "
                                         "SELECT i FROM n";
}

void TestConnection::refusesAnythingButReading()
{
    QFETCH(QString, statement);
    const QString path = makeDatabase(QStringLiteral("ZELT.mdb"));
    Connection connection;
    connection.setConnectionString(testdb::connectionStringFor(path));
    connection.open();
    QVERIFY_THROWS_EXCEPTION(DataError, connection.execute(statement));
    // The connection stays usable and the data unchanged.
    const ResultSet result = connection.execute(QStringLiteral("SELECT Descricao_Sec FROM Secao"));
    QCOMPARE(result.rows.size(), 1);
    QCOMPARE(result.rows.first().first().toString(), QStringLiteral("Agricultura"));
}

void TestConnection::leavesTheFileUntouched()
{
    const QString path = makeDatabase(QStringLiteral("ZELT.mdb"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    const QDateTime modified = QFileInfo(path).lastModified();
    const QStringList filesBefore = QDir(m_dir->path()).entryList(QDir::Files);

    {
        Connection connection;
        connection.setConnectionString(testdb::connectionStringFor(path));
        connection.open();
        connection.execute(QStringLiteral("SELECT count(*) FROM Texto WHERE Conteudo LIKE '%7%'"));
        for (const char *statement : {"DELETE FROM Texto", "INSERT INTO Secao VALUES ('Z', 'z')",
                                      "PRAGMA journal_mode = WAL", "CREATE INDEX i ON Texto (Conteudo)"}) {
            try {
                connection.execute(QString::fromLatin1(statement));
            } catch (const DataError &) {
            }
        }
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), filesBefore); // no journal beside it
        connection.close();
    }

    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    QCOMPARE(QFileInfo(path).lastModified(), modified);
}

void TestConnection::walFileGetsNoCompanions()
{
    const QString path = makeDatabase(QStringLiteral("ZELT.mdb"));
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    const QStringList files = QDir(m_dir->path()).entryList(QDir::Files);
    QCOMPARE(files, QStringList{QStringLiteral("ZELT.mdb")});

    Connection connection;
    connection.setConnectionString(testdb::connectionStringFor(path));
    connection.open();
    QCOMPARE(connection.execute(QStringLiteral("SELECT * FROM Secao")).rows.size(), 1);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), files);
}

void TestConnection::keepsNoLockBetweenStatements()
{
    const QString path = makeDatabase(QStringLiteral("ZELT.mdb"));
    Connection connection;
    connection.setConnectionString(testdb::connectionStringFor(path));
    connection.open();
    QCOMPARE(connection.execute(QStringLiteral("SELECT * FROM Texto")).rows.size(), 400);

    // Every result is fetched whole, so another program may even write in between.
    sqlite3 *other = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(path).constData(), &other, SQLITE_OPEN_READWRITE, nullptr),
             SQLITE_OK);
    sqlite3_busy_timeout(other, 0);
    const int rc = sqlite3_exec(other, "BEGIN EXCLUSIVE; INSERT INTO Secao VALUES ('B', 'Pesca'); COMMIT",
                                nullptr, nullptr, nullptr);
    sqlite3_close(other);
    QCOMPARE(rc, SQLITE_OK);
    QCOMPARE(connection.execute(QStringLiteral("SELECT * FROM Secao")).rows.size(), 2);
}

// Every way of running a statement gives the rows while the connection is open, and refuses once
// it is closed.
void TestConnection::closedConnectionRefusesStatements()
{
    const QString path = makeDatabase(QStringLiteral("ZELT.mdb"));
    Connection connection;
    connection.setConnectionString(testdb::connectionStringFor(path));
    const QString statement = QStringLiteral("SELECT Descricao_Sec FROM Secao");
    int rows = 0;
    const auto onColumns = [](const QVector<ResultColumn> &) {};
    const auto byRow = [&rows](QVector<QVariant> &row) { rows += row.value(0) == "Agricultura"; };
    const auto inPlace = [&rows](const RowView &row) { rows += row.cell(0).bytes == "Agricultura"; };
    LazyResult lazy;
    const auto runEveryWay = [&] {
        rows = 0;
        rows += connection.execute(statement).rows.size();
        connection.execute(statement, onColumns, byRow);
        connection.executeInPlace(statement, onColumns, inPlace);
        connection.executeLazy(statement, lazy);
        rows += lazy.rows.rowCount();
    };
    QVERIFY_THROWS_EXCEPTION(DataError, connection.execute(QStringLiteral("SELECT 1")));
    connection.open();
    QVERIFY(connection.isOpen());
    runEveryWay();
    QCOMPARE(rows, 4);
    connection.close();
    QVERIFY(!connection.isOpen());
    QVERIFY_THROWS_EXCEPTION(DataError, connection.execute(statement));
    QVERIFY_THROWS_EXCEPTION(DataError, connection.execute(statement, onColumns, byRow));
    QVERIFY_THROWS_EXCEPTION(DataError, connection.executeInPlace(statement, onColumns, inPlace));
    QVERIFY_THROWS_EXCEPTION(DataError, connection.executeLazy(statement, lazy));
}

// A SQLite file may keep its texts in UTF-16: they read as from any other file, blobs as their
// bytes, whether the rows come whole or are read in place.
void TestConnection::utf16File()
{
    const QString path = m_dir->filePath(QStringLiteral("ZELT.mdb"));
    QCOMPARE(testdb::createSqlite(
                 path, {"PRAGMA encoding = 'UTF-16le'",
                        "CREATE TABLE Secao (Codigo_Sec TEXT, Descricao_Sec TEXT, Marca BLOB, "
                        "Ordem INTEGER, Peso REAL, Nota TEXT)",
                        "INSERT INTO Secao VALUES ('A', 'Pesca e criação', X'41FF0042', 7, 2.5, NULL)"}),
             QString());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.read(60).mid(56), QByteArray("\0\0\0\2", 4)); // the text encoding: UTF-16le
    file.close();

    Connection connection;
    connection.setConnectionString(testdb::connectionStringFor(path));
    connection.open();
    const QString statement =
        QStringLiteral("SELECT Codigo_Sec, Descricao_Sec, Marca, Ordem, Peso, Nota FROM Secao");
    const ResultSet result = connection.execute(statement);
    QCOMPARE(result.rows.size(), 1);
    const QVariantList expected{
        QStringLiteral("A"), QStringLiteral("Pesca e criação"), QByteArray("A\xFF\0B", 4), qlonglong(7), 2.5,
        QVariant()};
    QCOMPARE(QVariantList(result.rows[0].begin(), result.rows[0].end()), expected);
    LazyResult lazy;
    connection.executeLazy(statement, lazy);
    QCOMPARE(lazy.rows.rowCount(), 1);
    for (int column = 0; column < int(expected.size()); ++column)
        QCOMPARE(lazy.rows.value(0, column), expected.at(column));
    QByteArray text;
    QByteArray blob;
    connection.executeInPlace(
        statement, [](const QVector<ResultColumn> &) {},
        [&](const RowView &row) {
            const std::string_view textBytes = row.cell(1).bytes;
            const std::string_view blobBytes = row.cell(2).bytes;
            text = QByteArray(textBytes.data(), static_cast<qsizetype>(textBytes.size()));
            blob = QByteArray(blobBytes.data(), static_cast<qsizetype>(blobBytes.size()));
        });
    QCOMPARE(text, QStringLiteral("Pesca e criação").toUtf8());
    QCOMPARE(blob, QByteArray("A\xFF\0B", 4));
}

QTEST_GUILESS_MAIN(TestConnection)
#include "tst_connection.moc"
