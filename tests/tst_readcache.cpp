// The tables read from an Access file, kept in the cache folder: a later open of the same file
// reads them from there without the reader child; any change of the file, any damage of the cache
// sends it back to the reader.
#include "TestPaths.h"
#include "support/PermissionsHonoured.h"
#include "support/ProgramRun.h"
#include "support/TestDatabase.h"

#include "data/Connection.h"
#include "data/DataError.h"
#include "data/KeywordIndex.h"
#include "data/MdbReader.h"
#include "data/ReadCache.h"
#include "data/SqliteFunctions.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>
#include <QtTest>

#include <sqlite3.h>

namespace
{

const QStringList kStatements = {
    QStringLiteral("SELECT * FROM ZELT_Classificacao"),
    QStringLiteral("SELECT * FROM ZELT_200_Classe"),
    QStringLiteral("SELECT Codigo_Cla, Descricao_Cla, Palavra_Chave FROM ZELT_200_Atividade "
                   "WHERE Palavra_Chave LIKE '%automov%' ORDER BY Descricao_Cla"),
};

// A connection to the file, open.
struct OpenConnection : Connection {
    explicit OpenConnection(const QString &path)
    {
        setConnectionString(testdb::connectionStringFor(path));
        open();
    }
};

// Every row of every statement, with the columns' names and kinds, as text.
QStringList readAll(const QString &path)
{
    OpenConnection connection(path);
    QStringList lines;
    for (const QString &statement : kStatements) {
        const ResultSet result = connection.execute(statement);
        for (const ResultColumn &column : result.columns)
            lines.append(column.name + (column.longText ? QStringLiteral(" memo") : QString()));
        for (const QVector<QVariant> &row : result.rows) {
            QString line;
            for (const QVariant &value : row)
                line += QString::fromLatin1(value.typeName()) + QLatin1Char('=') + value.toString() + u'\x1f';
            lines.append(line);
        }
    }
    return lines;
}

QString cacheFileOf(const QString &table)
{
    const QString name =
        QString::fromLatin1(
            QCryptographicHash::hash(table.toUtf8(), QCryptographicHash::Sha1).toHex().left(20)) +
        QStringLiteral(".sqlite");
    QDirIterator found(ReadCache::folder(), {name}, QDir::Files, QDirIterator::Subdirectories);
    return found.hasNext() ? found.next() : QString();
}

// While alive, the reader child cannot start: only the cache can answer.
struct NoReader {
    NoReader() { MdbReader::setHelperPath(QStringLiteral("/nonexistent/zelt-mdb-reader")); }
    ~NoReader() { MdbReader::setHelperPath(QString()); }
};

// The statements (a keyword search among them) on the file, then idle time until the search's
// keyword index is built and kept.
void searchAndIdle(const QString &path)
{
    OpenConnection connection(path);
    for (const QString &statement : kStatements)
        connection.execute(statement);
    QElapsedTimer limit;
    limit.start();
    while (connection.isIndexing() && limit.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

QJsonObject recordOf(const QString &table)
{
    QFile record(QFileInfo(cacheFileOf(table)).dir().filePath(QStringLiteral("catalogo.json")));
    if (!record.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(record.readAll())
        .object()
        .value(QStringLiteral("cached"))
        .toObject()
        .value(table)
        .toObject();
}

void changeRecord(const QString &table, const QString &field, const QJsonValue &value)
{
    QFile record(QFileInfo(cacheFileOf(table)).dir().filePath(QStringLiteral("catalogo.json")));
    QVERIFY(record.open(QIODevice::ReadWrite));
    QJsonObject all = QJsonDocument::fromJson(record.readAll()).object();
    QJsonObject cached = all.value(QStringLiteral("cached")).toObject();
    QJsonObject entry = cached.value(table).toObject();
    QVERIFY(!entry.isEmpty());
    entry.insert(field, value);
    cached.insert(table, entry);
    all.insert(QStringLiteral("cached"), cached);
    QVERIFY(record.resize(0));
    record.write(QJsonDocument(all).toJson());
}

// The keyword indexes the engine built itself this run (none when a kept one served).
int indexesBuilt(Connection &connection)
{
    return connection
        .execute(QStringLiteral("SELECT count(*) FROM sqlite_temp_master WHERE type = 'table' AND "
                                "name = 'zelt_keyword_index_1'"))
        .rows.at(0)
        .at(0)
        .toInt();
}

bool opensWithoutReader(const QString &path, QStringList *lines = nullptr)
{
    NoReader noReader;
    try {
        const QStringList read = readAll(path);
        if (lines)
            *lines = read;
        return true;
    } catch (const DataError &) {
        return false;
    }
}

// A made-up file with only what the key reads of an Access file: the header page, the catalogue's
// definition (continued on page 3), its usage map on page 4 and the catalogue's data pages that
// the map names, directly (a page bitmap) or through bitmap pages. Every other page is filler.
// The data pages are 17 and 19 (bitmap) or 20 and 27 (through bitmap page 30).
QByteArray madeUpFile(bool jet3, bool bitmapPages)
{
    const int pageSize = jet3 ? 2048 : 4096;
    QByteArray bytes(40 * pageSize, '\0');
    for (int page = 0; page < 40; ++page)
        bytes[page * pageSize + 100] = char(page + 1); // no two pages alike
    const auto put = [&bytes](int at, quint32 value, int size) {
        for (int i = 0; i < size; ++i)
            bytes[at + i] = char((value >> (8 * i)) & 0xFF);
    };
    bytes[0x14] = jet3 ? 0 : 1;
    const int definition = 2 * pageSize;
    put(definition + 4, 3, 4); // continued on page 3, which ends the chain
    // The map is the only row of page 4 (Jet 3), or its second row (Jet 4), the first row
    // filling the page's end.
    const quint32 mapRow = jet3 ? 0 : 1;
    put(definition + (jet3 ? 0x23 : 0x37), (4u << 8) | mapRow, 4);
    const int map = 4 * pageSize;
    const int rowsAt = jet3 ? 0x08 : 0x0C;
    put(map + rowsAt, mapRow + 1, 2);
    const int rowEnd = jet3 ? pageSize : pageSize - 64;
    const int rowStart = rowEnd - 16;
    if (!jet3)
        put(map + rowsAt + 2, rowEnd, 2);
    put(map + rowsAt + 2 + 2 * int(mapRow), rowStart, 2);
    if (bitmapPages) {
        bytes[map + rowStart] = 1;
        put(map + rowStart + 1, 30, 4); // bitmap page 30 covers pages from 0
        const int bitmap = 30 * pageSize;
        bytes[bitmap + 4 + 20 / 8] = char(bytes[bitmap + 4 + 20 / 8] | (1 << (20 % 8)));
        bytes[bitmap + 4 + 27 / 8] = char(bytes[bitmap + 4 + 27 / 8] | (1 << (27 % 8)));
        bytes[bitmap + 100] = 0; // the filler mark would name pages of its own
    } else {
        bytes[map + rowStart] = 0;
        put(map + rowStart + 1, 16, 4); // the bitmap starts at page 16
        bytes[map + rowStart + 5] = char((1 << 1) | (1 << 3));
    }
    return bytes;
}

// A file's modification time set back or forth (the file must be open for that).
bool setModified(const QString &path, const QDateTime &time)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.setFileTime(time, QFileDevice::FileModificationTime);
}

bool writeKeepingTime(const QString &path, const QByteArray &bytes, const QDateTime &modified)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush() &&
           file.setFileTime(modified, QFileDevice::FileModificationTime);
}

QStringList filesUnder(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    files.sort();
    return files;
}

// The first column of every row, as text; or the error.
QStringList rowids(sqlite3 *db, const std::string &sql)
{
    QStringList found;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        return QStringList{QString::fromUtf8(sqlite3_errmsg(db))};
    while (sqlite3_step(statement) == SQLITE_ROW)
        found.append(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0))));
    sqlite3_finalize(statement);
    return found;
}

// A database in memory as the engine opens one (cache files are attached by URI), with the
// keyword functions.
sqlite3 *openMemory()
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI, nullptr);
    if (db && !(registerAccessFunctions(db) && KeywordIndex::registerFunctions(db))) {
        sqlite3_close(db);
        return nullptr;
    }
    return db;
}

} // namespace

class TestReadCache : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void secondOpenReadsTheCache();
    void changedFileIsReadAgain_data();
    void changedFileIsReadAgain();
    void damagedCacheIsReadAgain_data();
    void damagedCacheIsReadAgain();
    void keptIndexServesTheSearch();
    void keptIndexUnusable_data();
    void keptIndexUnusable();
    void smallTableKeepsItsIndex();
    void fromAMegabyteUsedInPlace();
    void keyCoversTheCataloguePages_data();
    void keyCoversTheCataloguePages();
    void unreadableFileIsNeverCached();
    void notesComeBackFromTheCache();
    void boundEvictsTheOldest();
    void tableReadFromTheCacheCountsAsUsed();
    void boundBelowATableKeepsNothing();
    void unmadeFolderServesThisRunOnly();
    void readOnlyFolderStillReads();
    void enginesReadingTogetherReadOnce_data();
    void enginesReadingTogetherReadOnce();
    void folderRemovedWhileOpen();

private:
    QTemporaryDir m_cacheHome;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    QStringList m_reference;
};

void TestReadCache::initTestCase()
{
    QVERIFY(m_cacheHome.isValid());
    qputenv("XDG_CACHE_HOME", m_cacheHome.path().toUtf8());
    QVERIFY(ReadCache::folder().startsWith(m_cacheHome.path()));
}

void TestReadCache::init()
{
    QDir(ReadCache::folder()).removeRecursively();
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = m_dir->filePath(QStringLiteral("ZELT.mdb"));
    QVERIFY(QFile::copy(QStringLiteral(ZELT_SAMPLE_DB), m_path));
    QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner));
    if (m_reference.isEmpty()) {
        // The first read of all, with no cache anywhere.
        m_reference = readAll(m_path);
        QDir(ReadCache::folder()).removeRecursively();
    }
}

void TestReadCache::cleanup()
{
    const auto writable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    QFile::setPermissions(ReadCache::folder(), writable);
    for (const QString &file : filesUnder(ReadCache::folder()))
        QFile::setPermissions(QFileInfo(file).path(), writable);
    ReadCache::setSizeLimit(qint64(1) << 30);
    qputenv("XDG_CACHE_HOME", m_cacheHome.path().toUtf8());
}

void TestReadCache::secondOpenReadsTheCache()
{
    QVERIFY(!opensWithoutReader(m_path));
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1);
    const QDateTime modified = QFileInfo(m_path).lastModified();
    QCOMPARE(readAll(m_path), m_reference);

    QStringList cached;
    QVERIFY(opensWithoutReader(m_path, &cached));
    QCOMPARE(cached, m_reference);
    // A table never read before still needs the reader.
    NoReader noReader;
    OpenConnection connection(m_path);
    QVERIFY_THROWS_EXCEPTION(DataError, connection.execute(QStringLiteral("SELECT * FROM ZELT_100_Classe")));
    // The user's file is only read.
    QVERIFY(file.seek(0));
    QCOMPARE(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1), before);
    QCOMPARE(QFileInfo(m_path).lastModified(), modified);
}

void TestReadCache::changedFileIsReadAgain_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("touched") << "touched";
    QTest::newRow("a catalogue byte, same size and time") << "catalogue";
    QTest::newRow("a page longer") << "grown";
}

void TestReadCache::changedFileIsReadAgain()
{
    QFETCH(QString, change);
    // Kept with the search's keyword index: neither is used for the changed file.
    searchAndIdle(m_path);
    QVERIFY(recordOf(QStringLiteral("ZELT_200_Atividade")).value(QStringLiteral("index")).toBool());
    QVERIFY(opensWithoutReader(m_path));

    QFile file(m_path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const QDateTime modified = file.fileTime(QFileDevice::FileModificationTime);
    if (change == QLatin1String("touched")) {
        QVERIFY(file.setFileTime(modified.addSecs(1), QFileDevice::FileModificationTime));
    } else if (change == QLatin1String("catalogue")) {
        // The last byte of the catalogue's definition page, whatever it holds.
        QVERIFY(file.seek(3 * 4096 - 1));
        char byte = 0;
        QVERIFY(file.getChar(&byte));
        QVERIFY(file.seek(3 * 4096 - 1));
        QVERIFY(file.putChar(char(byte ^ 0x5a)));
        file.close();
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
    } else {
        QVERIFY(file.seek(file.size()));
        QVERIFY(file.write(QByteArray(4096, '\0')) == 4096);
        file.close();
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
    }
    file.close();
    QCOMPARE(QFileInfo(m_path).lastModified(),
             change == QLatin1String("touched") ? modified.addSecs(1) : modified);
    // What was kept of the file before is not used.
    QVERIFY(!opensWithoutReader(m_path));
    if (change != QLatin1String("catalogue")) {
        // Read again, and kept again for the file as it is now.
        QCOMPARE(readAll(m_path), m_reference);
        QVERIFY(opensWithoutReader(m_path));
    }
}

void TestReadCache::damagedCacheIsReadAgain_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("bytes overwritten") << "overwritten";
    QTest::newRow("cut short") << "cut";
    QTest::newRow("missing") << "missing";
    QTest::newRow("record unreadable") << "record";
}

void TestReadCache::damagedCacheIsReadAgain()
{
    QFETCH(QString, damage);
    QCOMPARE(readAll(m_path), m_reference);
    const QString cached = cacheFileOf(QStringLiteral("ZELT_200_Atividade"));
    QVERIFY(!cached.isEmpty());
    QFile file(cached);
    if (damage == QLatin1String("overwritten")) {
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.seek(file.size() / 2));
        QCOMPARE(file.write(QByteArray(64, 'Z')), qint64(64));
        file.close();
    } else if (damage == QLatin1String("cut")) {
        QVERIFY(file.resize(file.size() / 2));
    } else if (damage == QLatin1String("missing")) {
        QVERIFY(file.remove());
    } else {
        QFile record(QFileInfo(cached).dir().filePath(QStringLiteral("catalogo.json")));
        QVERIFY(record.open(QIODevice::WriteOnly));
        record.write("{\"key\": 12, \"cached\": [");
    }
    // The reader answers as if nothing had been kept, and what it read is kept again.
    QVERIFY(!opensWithoutReader(m_path));
    QCOMPARE(readAll(m_path), m_reference);
    QStringList again;
    QVERIFY(opensWithoutReader(m_path, &again));
    QCOMPARE(again, m_reference);
}

// Once idle, the search's keyword index is kept with the table; the next run searches through it
// at once, with the rows and order of the plain scan, building none of its own.
void TestReadCache::keptIndexServesTheSearch()
{
    searchAndIdle(m_path);
    QVERIFY(recordOf(QStringLiteral("ZELT_200_Atividade")).value(QStringLiteral("index")).toBool());
    QVERIFY(!recordOf(QStringLiteral("ZELT_200_Classe")).value(QStringLiteral("index")).toBool());
    QStringList cached;
    QVERIFY(opensWithoutReader(m_path, &cached));
    QCOMPARE(cached, m_reference);

    NoReader noReader;
    OpenConnection connection(m_path);
    const ResultSet found = connection.execute(kStatements.at(2));
    QVERIFY(found.rows.size() > 10);
    QCOMPARE(indexesBuilt(connection), 0);
    QVERIFY(!connection.isIndexing());
}

void TestReadCache::keptIndexUnusable_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("readerNeeded");
    QTest::newRow("index pages overwritten") << "overwritten" << true;
    QTest::newRow("record claims an index the file lacks") << "claimed" << false;
    QTest::newRow("record lost its index") << "unclaimed" << false;
}

// An index that cannot be trusted or found is never used: the table is read again, or the index
// built again, and the rows are those of the plain scan.
void TestReadCache::keptIndexUnusable()
{
    QFETCH(QString, fault);
    QFETCH(bool, readerNeeded);
    const QString table = QStringLiteral("ZELT_200_Atividade");
    if (fault == QLatin1String("claimed")) {
        // Kept without its index (no idle time), then the record says otherwise.
        QCOMPARE(readAll(m_path), m_reference);
        QVERIFY(!recordOf(table).value(QStringLiteral("index")).toBool());
        changeRecord(table, QStringLiteral("index"), true);
    } else {
        searchAndIdle(m_path);
        QVERIFY(recordOf(table).value(QStringLiteral("index")).toBool());
        if (fault == QLatin1String("overwritten")) {
            // The index is written after the table: its pages are the file's last.
            QFile file(cacheFileOf(table));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.seek(file.size() - 3000));
            QCOMPARE(file.write(QByteArray(64, '\x7f')), qint64(64));
        } else {
            changeRecord(table, QStringLiteral("index"), false);
        }
    }
    QStringList lines;
    QCOMPARE(opensWithoutReader(m_path, &lines), !readerNeeded);
    if (readerNeeded)
        lines = readAll(m_path);
    QCOMPARE(lines, m_reference);
    if (!readerNeeded) {
        NoReader noReader;
        {
            OpenConnection connection(m_path);
            connection.execute(kStatements.at(2));
            QCOMPARE(indexesBuilt(connection), 1);
            // The index built over the table read from the cache is kept in its place.
            QElapsedTimer limit;
            limit.start();
            while (connection.isIndexing() && limit.elapsed() < 60000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        QVERIFY(recordOf(table).value(QStringLiteral("index")).toBool());
        QVERIFY(opensWithoutReader(m_path, &lines));
        QCOMPARE(lines, m_reference);
        OpenConnection later(m_path);
        later.execute(kStatements.at(2));
        QCOMPARE(indexesBuilt(later), 0);
    }
}

// A table too small to be used in place keeps its keyword index all the same: the next run
// searches through the kept index, building none, with the rows of the plain scan.
void TestReadCache::smallTableKeepsItsIndex()
{
    const QString path = m_dir->filePath(QStringLiteral("pequeno.mdb"));
    QVERIFY(writeKeepingTime(path, madeUpFile(false, false), QDateTime::currentDateTime().addSecs(-60)));
    const QString table = QStringLiteral("Pequena");
    const std::string search = "SELECT rowid FROM Pequena WHERE Palavra_Chave LIKE '%|venda|%'";
    sqlite3 *first = openMemory();
    QVERIFY(first);
    auto closeFirst = qScopeGuard([first] { sqlite3_close(first); });
    QCOMPARE(
        sqlite3_exec(first,
                     "CREATE TABLE Pequena (Codigo TEXT, Palavra_Chave TEXT);"
                     "INSERT INTO Pequena (rowid, Codigo, Palavra_Chave) VALUES (3, 'a', '|VENDA|carros|'),"
                     " (8, 'b', '|soja|'), (20, 'c', '|outra|venda|'), (21, 'd', NULL)",
                     nullptr, nullptr, nullptr),
        SQLITE_OK);
    const QStringList plain = rowids(first, search);
    QCOMPARE(plain, (QStringList{QStringLiteral("3"), QStringLiteral("20")}));
    {
        ReadCache cache(path);
        cache.rememberTables({table});
        cache.store(first, table, {});
        KeywordIndex index(first);
        QVERIFY(index.rewrite(search) != search);
        const QVector<KeywordIndex::Built> built = index.takeBuilt();
        QCOMPARE(built.size(), 1);
        cache.storeKeywordIndex(first, table, built.first().name);
    }
    closeFirst.dismiss();
    sqlite3_close(first);
    QVERIFY(recordOf(table).value(QStringLiteral("index")).toBool());
    QVERIFY(QFileInfo(cacheFileOf(table)).size() < (1 << 20));

    sqlite3 *later = openMemory();
    QVERIFY(later);
    const auto closeLater = qScopeGuard([later] { sqlite3_close(later); });
    ReadCache cache(path);
    QStringList notes;
    QString schema;
    QVERIFY(cache.load(later, table, notes, &schema));
    QVERIFY(!schema.isEmpty());
    KeywordIndex index(later);
    index.adopt(table, schema, ReadCache::keywordIndexName());
    const std::string rewritten = index.rewrite(search);
    QVERIFY(rewritten != search);
    QVERIFY(index.takeBuilt().isEmpty());
    QCOMPARE(rowids(later, rewritten), plain);
}

// A table's file from a megabyte on is used where it is rather than copied into memory; one a page
// smaller is copied. Either way the rows are those kept.
void TestReadCache::fromAMegabyteUsedInPlace()
{
    const QString path = m_dir->filePath(QStringLiteral("grande.mdb"));
    QVERIFY(writeKeepingTime(path, madeUpFile(false, false), QDateTime::currentDateTime().addSecs(-60)));
    const QString table = QStringLiteral("Grande");
    sqlite3 *source = openMemory();
    QVERIFY(source);
    const auto closeSource = qScopeGuard([source] { sqlite3_close(source); });
    QCOMPARE(sqlite3_exec(source,
                          "CREATE TABLE Grande (Codigo INTEGER, Texto TEXT);"
                          "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200)"
                          " INSERT INTO Grande SELECT i, printf('%.3000c', 'x') FROM n",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    ReadCache cache(path);
    cache.rememberTables({table});
    const auto keptSize = [&] {
        cache.store(source, table, {});
        return QFileInfo(cacheFileOf(table)).size();
    };
    // Rows of a page each, added until the kept file is a megabyte.
    qint64 size = keptSize();
    for (int row = 201; size < (1 << 20) && row < 400; ++row) {
        QCOMPARE(
            sqlite3_exec(
                source,
                qPrintable(QStringLiteral("INSERT INTO Grande VALUES (%1, printf('%.3000c', 'x'))").arg(row)),
                nullptr, nullptr, nullptr),
            SQLITE_OK);
        size = keptSize();
    }
    QCOMPARE(size, qint64(1 << 20));
    const QStringList all = rowids(source, "SELECT Codigo FROM Grande ORDER BY rowid");
    const auto loadedInto = [&](QStringList &rows) {
        sqlite3 *db = openMemory();
        const auto close = qScopeGuard([db] { sqlite3_close(db); });
        QStringList notes;
        if (!db || !ReadCache(path).load(db, table, notes))
            return QStringLiteral("not loaded");
        rows = rowids(db, "SELECT Codigo FROM Grande ORDER BY rowid");
        return rowids(db, "SELECT schema FROM pragma_table_list WHERE name = 'Grande'")
            .join(QLatin1Char(','));
    };
    QStringList rows;
    QCOMPARE(loadedInto(rows), QStringLiteral("zelt_table_1"));
    QCOMPARE(rows, all);

    QCOMPARE(sqlite3_exec(source, "DELETE FROM Grande WHERE rowid = (SELECT max(rowid) FROM Grande)", nullptr,
                          nullptr, nullptr),
             SQLITE_OK);
    QCOMPARE(keptSize(), qint64((1 << 20) - 4096));
    QCOMPARE(loadedInto(rows), QStringLiteral("main"));
    QCOMPARE(rows, all.mid(0, all.size() - 1));
}

void TestReadCache::keyCoversTheCataloguePages_data()
{
    QTest::addColumn<bool>("jet3");
    QTest::addColumn<bool>("bitmapPages");
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("kept");
    for (const bool jet3 : {false, true}) {
        const char *version = jet3 ? "Jet 3" : "Jet 4";
        for (const int page : {0, 2, 3, 4, 17, 19})
            QTest::addRow("%s, bitmap, page %d", version, page) << jet3 << false << page << false;
        for (const int page : {1, 5, 16, 18, 20})
            QTest::addRow("%s, bitmap, other page %d", version, page) << jet3 << false << page << true;
        for (const int page : {4, 20, 27, 30})
            QTest::addRow("%s, bitmap pages, page %d", version, page) << jet3 << true << page << false;
        for (const int page : {12, 17, 19, 21, 26, 28, 31})
            QTest::addRow("%s, bitmap pages, other page %d", version, page) << jet3 << true << page << true;
    }
}

// A change of any page that says what the file holds, its size and time kept, makes another key;
// a change elsewhere keeps the record (the file's time and size stand for those pages).
void TestReadCache::keyCoversTheCataloguePages()
{
    QFETCH(bool, jet3);
    QFETCH(bool, bitmapPages);
    QFETCH(int, page);
    QFETCH(bool, kept);
    const QString path = m_dir->filePath(QStringLiteral("feito.mdb"));
    const QDateTime modified = QDateTime::currentDateTime().addSecs(-3600);
    QByteArray bytes = madeUpFile(jet3, bitmapPages);
    QVERIFY(writeKeepingTime(path, bytes, modified));
    const QStringList tables = {QStringLiteral("ZELT_Classificacao"), QStringLiteral("ZELT_200_Classe")};
    ReadCache(path).rememberTables(tables);
    QCOMPARE(ReadCache(path).tables(), std::optional<QStringList>(tables));

    const int pageSize = jet3 ? 2048 : 4096;
    bytes[page * pageSize + pageSize - 1] = char(bytes[page * pageSize + pageSize - 1] ^ 0x01);
    QVERIFY(writeKeepingTime(path, bytes, modified));
    QCOMPARE(QFileInfo(path).size(), qint64(bytes.size()));
    QCOMPARE(ReadCache(path).tables().has_value(), kept);
}

// A file too short to have a key (or none at all) is read as without a cache: nothing kept,
// nothing loaded.
void TestReadCache::unreadableFileIsNeverCached()
{
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(":memory:", &db), SQLITE_OK);
    const auto close = qScopeGuard([db] { sqlite3_close(db); });
    QCOMPARE(
        sqlite3_exec(db, "CREATE TABLE t (x TEXT); INSERT INTO t VALUES ('a')", nullptr, nullptr, nullptr),
        SQLITE_OK);
    const QString shortFile = m_dir->filePath(QStringLiteral("curto.mdb"));
    QVERIFY(writeKeepingTime(shortFile, QByteArray(16, 'Z'), QDateTime::currentDateTime()));
    for (const QString &path : {shortFile, m_dir->filePath(QStringLiteral("ausente.mdb"))}) {
        ReadCache cache(path);
        cache.rememberTables({QStringLiteral("t")});
        cache.store(db, QStringLiteral("t"), {});
        QVERIFY(!cache.tables().has_value());
        QStringList notes;
        QVERIFY(!cache.load(db, QStringLiteral("t"), notes));
        QVERIFY(!ReadCache(path).tables().has_value());
    }
    QVERIFY(!QDir(ReadCache::folder()).exists());
}

// A column the reader could not understand reads as NULL with a note; read from the cache, the
// table gives the same rows and the same note, once per run.
void TestReadCache::notesComeBackFromTheCache()
{
    QFile source(QStringLiteral(ZELT_FIXTURES_DIR "/extDateTestV2019.accdb"));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QByteArray bytes = source.readAll();
    // Table1's second column (Field1, text) given a type no reader knows.
    const int definition = 89 * 4096;
    QCOMPARE(int(bytes.at(definition)), 2);
    const int field1 = definition + 63 + 12 * int(uchar(bytes.at(definition + 51))) + 25;
    QCOMPARE(int(bytes.at(field1)), 10);
    bytes[field1] = char(0x13);
    const QString path = m_dir->filePath(QStringLiteral("nota.accdb"));
    QVERIFY(writeKeepingTime(path, bytes, QDateTime::currentDateTime().addSecs(-60)));

    const auto read = [&path](QStringList &notes) {
        OpenConnection connection(path);
        QStringList rows;
        const QString statement = QStringLiteral("SELECT ID, Field1 FROM Table1 WHERE ID <= 2 ORDER BY ID");
        for (int time = 0; time < 2; ++time)
            for (const QVector<QVariant> &row : connection.execute(statement).rows)
                rows.append(row.at(0).toString() + QLatin1Char('|') +
                            (row.at(1).isValid() ? row.at(1).toString() : QStringLiteral("<NULL>")));
        notes = connection.takeNotes();
        return rows;
    };
    const QStringList expected = {"1|<NULL>", "2|<NULL>", "1|<NULL>", "2|<NULL>"};
    QStringList notes;
    QCOMPARE(read(notes), expected);
    QCOMPARE(notes.size(), 1);
    QVERIFY2(notes.first().contains(QLatin1String("Field1")), qPrintable(notes.first()));
    const QStringList firstNotes = notes;
    NoReader noReader;
    QCOMPARE(read(notes), expected);
    QCOMPARE(notes, firstNotes);
}

void TestReadCache::boundEvictsTheOldest()
{
    OpenConnection connection(m_path);
    connection.execute(QStringLiteral("SELECT * FROM ZELT_200_Atividade"));
    connection.execute(QStringLiteral("SELECT * FROM ZELT_200_Classe"));
    const QString oldest = cacheFileOf(QStringLiteral("ZELT_200_Atividade"));
    const QString newer = cacheFileOf(QStringLiteral("ZELT_200_Classe"));
    QVERIFY(!oldest.isEmpty() && !newer.isEmpty());
    QVERIFY(setModified(oldest, QDateTime::currentDateTime().addSecs(-60)));
    // Room for those two and a few bytes more: the next table pushes the oldest out.
    ReadCache::setSizeLimit(QFileInfo(oldest).size() + QFileInfo(newer).size() + 100);
    connection.execute(QStringLiteral("SELECT * FROM ZELT_Sinonimo"));
    QVERIFY(!QFile::exists(oldest));
    QVERIFY(QFile::exists(newer));
    QVERIFY(!cacheFileOf(QStringLiteral("ZELT_Sinonimo")).isEmpty());
    // What stays is still used; what left is read again.
    NoReader noReader;
    OpenConnection later(m_path);
    QCOMPARE(later.execute(QStringLiteral("SELECT count(*) FROM ZELT_200_Classe")).rows.size(), 1);
    QVERIFY_THROWS_EXCEPTION(DataError, later.execute(QStringLiteral("SELECT * FROM ZELT_200_Atividade")));
}

// Reading a table from the cache makes it the last to leave, however long ago it was written.
void TestReadCache::tableReadFromTheCacheCountsAsUsed()
{
    {
        OpenConnection connection(m_path);
        connection.execute(QStringLiteral("SELECT * FROM ZELT_200_Atividade"));
        connection.execute(QStringLiteral("SELECT * FROM ZELT_200_Classe"));
    }
    const QString used = cacheFileOf(QStringLiteral("ZELT_200_Atividade"));
    const QString unused = cacheFileOf(QStringLiteral("ZELT_200_Classe"));
    QVERIFY(!used.isEmpty() && !unused.isEmpty());
    QVERIFY(setModified(used, QDateTime::currentDateTime().addSecs(-120)));
    QVERIFY(setModified(unused, QDateTime::currentDateTime().addSecs(-60)));
    {
        NoReader noReader;
        OpenConnection connection(m_path);
        QVERIFY(!connection.execute(QStringLiteral("SELECT * FROM ZELT_200_Atividade")).rows.isEmpty());
    }
    ReadCache::setSizeLimit(QFileInfo(used).size() + QFileInfo(unused).size() + 100);
    OpenConnection connection(m_path);
    connection.execute(QStringLiteral("SELECT * FROM ZELT_Sinonimo"));
    QVERIFY(QFile::exists(used));
    QVERIFY(!QFile::exists(unused));
}

// A bound below the size of any table keeps none: every open reads the file as without a cache.
void TestReadCache::boundBelowATableKeepsNothing()
{
    ReadCache::setSizeLimit(1024);
    QCOMPARE(readAll(m_path), m_reference);
    QVERIFY(cacheFileOf(QStringLiteral("ZELT_200_Atividade")).isEmpty());
    QVERIFY(cacheFileOf(QStringLiteral("ZELT_Classificacao")).isEmpty());
    QVERIFY(!opensWithoutReader(m_path));
    QCOMPARE(readAll(m_path), m_reference);
}

void TestReadCache::unmadeFolderServesThisRunOnly()
{
    // A cache folder that cannot be made: its parent is a file.
    const QString blocker = m_dir->filePath(QStringLiteral("not-a-folder"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    qputenv("XDG_CACHE_HOME", blocker.toUtf8());
    const QString standIn = ReadCache::folder();
    QVERIFY2(standIn.startsWith(QDir::tempPath() + QStringLiteral("/zelt-tabelas-")), qPrintable(standIn));
    QCOMPARE(readAll(m_path), m_reference);
    // The tables read serve the rest of this run from a temporary folder...
    QVERIFY(opensWithoutReader(m_path));
    QCOMPARE(readAll(m_path), m_reference);

    // ...which goes with the run: another run reads the file and leaves nothing behind.
    QTemporaryDir temporary;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), temporary.path());
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), blocker);
    const ProgramRun run =
        runProgram(QStringLiteral(ZELT_BIN_DIR "/zelt-sql"),
                   {m_path, QStringLiteral("SELECT COUNT(*) FROM ZELT_200_Atividade")}, {}, environment);
    QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.err));
    QVERIFY2(run.out.contains(QStringLiteral("1 row")), qPrintable(run.out));
    QCOMPARE(QDir(temporary.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList());
}

// A cache folder the user may read but not write: what it holds still serves, nothing is added,
// and a changed file is read again without a complaint.
void TestReadCache::readOnlyFolderStillReads()
{
    const QString folder = ReadCache::folder();
    QVERIFY(QDir().mkpath(folder));
    const auto readOnly = QFile::ReadOwner | QFile::ExeOwner;
    QVERIFY(QFile::setPermissions(folder, readOnly));
    {
        const PermissionsHonoured honoured;
        QVERIFY2(honoured.error().isEmpty(), qPrintable(honoured.error()));
        QCOMPARE(readAll(m_path), m_reference);
        QVERIFY(!opensWithoutReader(m_path));
        QCOMPARE(filesUnder(folder), QStringList());
    }

    QVERIFY(QFile::setPermissions(folder, readOnly | QFile::WriteOwner));
    QCOMPARE(readAll(m_path), m_reference);
    const QStringList kept = filesUnder(folder);
    QVERIFY(!kept.isEmpty());
    QVERIFY(QFile::setPermissions(folder, readOnly));
    for (const QString &file : kept)
        QVERIFY(QFile::setPermissions(QFileInfo(file).path(), readOnly));
    const PermissionsHonoured honoured;
    QVERIFY2(honoured.error().isEmpty(), qPrintable(honoured.error()));
    QVERIFY(opensWithoutReader(m_path));

    QVERIFY(setModified(m_path, QFileInfo(m_path).lastModified().addSecs(-3600)));
    QVERIFY(!opensWithoutReader(m_path));
    QCOMPARE(readAll(m_path), m_reference);
    QCOMPARE(filesUnder(folder), kept);
}

// Two engines of the program (the window's and the search vocabulary's) asking for the same table
// at once: one reader reads it, the other takes it from the cache, and both have every row; also
// when no cache folder can be made, else each would hold the table.
void TestReadCache::enginesReadingTogetherReadOnce_data()
{
    QTest::addColumn<bool>("folderMade");
    QTest::newRow("cache folder") << true;
    QTest::newRow("no cache folder can be made") << false;
}

void TestReadCache::enginesReadingTogetherReadOnce()
{
    QFETCH(bool, folderMade);
    if (!folderMade) {
        const QString blocker = m_dir->filePath(QStringLiteral("not-a-folder"));
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        qputenv("XDG_CACHE_HOME", blocker.toUtf8());
    }
    const QString log = m_dir->filePath(QStringLiteral("reads.log"));
    const QString script = m_dir->filePath(QStringLiteral("counting-reader"));
    QFile wrapper(script);
    QVERIFY(wrapper.open(QIODevice::WriteOnly));
    // Slow to start, so that both engines ask before either has the table.
    wrapper.write(QStringLiteral("#!/bin/sh\necho \"$*\" >> '%1'\nsleep 1\nexec '%2' \"$@\"\n")
                      .arg(log, MdbReader::helperPath())
                      .toUtf8());
    wrapper.close();
    QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    MdbReader::setHelperPath(script);
    const auto restore = qScopeGuard([] { MdbReader::setHelperPath(QString()); });

    const QString statement = kStatements.last();
    QStringList answers[2];
    QString errors[2];
    sqlite3_int64 counted[2] = {-1, -1};
    QThread *threads[2];
    for (int i = 0; i < 2; ++i) {
        threads[i] = QThread::create([&, i] {
            try {
                OpenConnection connection(m_path);
                for (const QVector<QVariant> &row : connection.execute(statement).rows)
                    answers[i].append(row.value(0).toString() + row.value(1).toString());
                counted[i] = sqlite3_memory_used();
            } catch (const DataError &error) {
                errors[i] = error.message();
            }
        });
        threads[i]->start();
    }
    for (QThread *thread : threads) {
        QVERIFY(thread->wait(120000));
        delete thread;
    }
    QCOMPARE(errors[0], QString());
    QCOMPARE(errors[1], QString());
    QVERIFY(answers[0].size() > 10);
    QCOMPARE(answers[1], answers[0]);
    QFile reads(log);
    QVERIFY(reads.open(QIODevice::ReadOnly));
    const QStringList started =
        QString::fromUtf8(reads.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(started.filter(QStringLiteral("ZELT_200_Atividade")).size(), 1);
    // Nor do they take turns at SQLite's count of allocated memory, one lock for the whole process
    // (the first SQLite of this program was an engine's, so the count is off).
    QCOMPARE(counted[0], 0);
    QCOMPARE(counted[1], 0);
}

// The cache folder removed while the file is open (caches cleared meanwhile): the next table read
// is kept all the same.
void TestReadCache::folderRemovedWhileOpen()
{
    OpenConnection connection(m_path);
    QVERIFY(QDir(ReadCache::folder()).exists());
    QVERIFY(QDir(ReadCache::folder()).removeRecursively());
    QVERIFY(!connection.execute(QStringLiteral("SELECT * FROM ZELT_200_Classe")).rows.isEmpty());
    QVERIFY(!cacheFileOf(QStringLiteral("ZELT_200_Classe")).isEmpty());
    NoReader noReader;
    OpenConnection later(m_path);
    QVERIFY(!later.execute(QStringLiteral("SELECT * FROM ZELT_200_Classe")).rows.isEmpty());
}

QTEST_MAIN(TestReadCache)
#include "tst_readcache.moc"
