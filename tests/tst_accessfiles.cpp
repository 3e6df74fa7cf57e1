#include "TestPaths.h"
#include "support/TestDatabase.h"

#include "data/Connection.h"
#include "data/DataError.h"
#include "data/MdbProtocol.h"
#include "data/MdbReader.h"
#include "data/ValueText.h"

#include <QtTest>

#include <functional>
#include <random>

// Access files as users bring them, written by Access itself (Jet 3 to ACE 17): every value as
// Access shows it, and damaged copies that give the whole right result or an error naming the
// file, never a different result with success.
class TestAccessFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void values_data();
    void values();
    void patchedValues_data();
    void patchedValues();
    void unknownColumnTypeReadsAsNullWithANote();
    void reasonComesFirst();
    void misbehavingReaderKeepsLittleOfItsComplaints();
    void streamInSmallPieces();
    void damagedCopies_data();
    void damagedCopies();
    void damageElsewhereLeavesTheTableReadable_data();
    void damageElsewhereLeavesTheTableReadable();

private:
    QString write(const QString &name, const QByteArray &bytes);

    QTemporaryDir m_dir;
};

namespace
{

QString fixture(const char *name)
{
    return QStringLiteral(ZELT_FIXTURES_DIR "/") + QLatin1String(name);
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs statement on path: the rows as text ("a|b" per row, NULL as <NULL>), or the error.
QStringList run(const QString &path, const QString &statement, QString *error, QStringList *notes = nullptr)
{
    QStringList rows;
    try {
        Connection connection;
        connection.setConnectionString(testdb::connectionStringFor(path));
        connection.open();
        const ResultSet result = connection.execute(statement);
        for (const auto &row : result.rows) {
            QStringList values;
            for (const QVariant &value : row)
                values.append(value.isValid() ? valueText(value) : QStringLiteral("<NULL>"));
            rows.append(values.join(QLatin1Char('|')));
        }
        if (notes)
            *notes = connection.takeNotes();
    } catch (const DataError &e) {
        *error = e.message();
    }
    return rows;
}

// The peak resident memory of this process so far, in kB.
qint64 peakMemoryKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

int pageSizeOf(const QByteArray &file)
{
    return file.at(0x14) == 0 ? 2048 : 4096;
}

bool isLongValuePage(const QByteArray &file, int page)
{
    const int size = pageSizeOf(file);
    return file.at(page * size) == 1 && file.mid(page * size + 4, 4) == "LVAL";
}

quint32 ownerOf(const QByteArray &file, int page)
{
    const auto *p = reinterpret_cast<const uchar *>(file.constData()) + page * pageSizeOf(file) + 4;
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

// The input files, each with the table read whole in a fixed order.
struct Source {
    const char *file;
    const char *statement;
};

const Source kSources[] = {
    {"testEmoticonsV2010.accdb", "SELECT * FROM data ORDER BY key"},
    {"extDateTestV2019.accdb", "SELECT * FROM Table1 ORDER BY ID"},
    {"calcFieldTestV2010.accdb", "SELECT * FROM Table1 ORDER BY ID"},
    {"testIndexCodesV1997.mdb", "SELECT * FROM Table5 ORDER BY name"},
    {"test2V2003.mdb", "SELECT * FROM MSP_PROJECTS"},
    {"DateTestDatabase.mdb", "SELECT * FROM DateTest ORDER BY IDCol"},
};

} // namespace

QString TestAccessFiles::write(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

void TestAccessFiles::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // A hang shows as no progress; a short wait keeps the damaged cases quick.
    MdbReader::setNoProgressTimeout(4000);
}

void TestAccessFiles::values_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("expected"); // the rows, joined by ','

    const auto row = [](const char *name, const char *file, const char *statement, const QString &expected) {
        QTest::newRow(name) << fixture(file) << QString::fromUtf8(statement) << expected;
    };
    row("character beyond the BMP", "testEmoticonsV2010.accdb", "SELECT data FROM data WHERE key = 128512",
        QStringLiteral("a\U0001F600a"));
    row("compressed Unicode", "testUnicodeCompV2003.mdb", "SELECT Unicode FROM [Table] WHERE ID IN (3, 7)",
        QStringLiteral("Мир,ümlaut"));
    row("Date/Time Extended, 100 ns", "extDateTestV2019.accdb",
        "SELECT DateExt FROM Table1 WHERE ID IN (6, 8)",
        "2021-06-14 22:45:12.3456789,0100-06-14 12:45:00.1234567");
    row("Date/Time Extended, whole seconds", "extDateTestV2019.accdb",
        "SELECT DateExt, DateNormal FROM Table1 WHERE ID = 3", "2021-06-14 12:45:00|2021-06-14 12:45:00");
    row("rows beyond a stale count", "calcFieldTestV2010.accdb", "SELECT count(*), max(ID) FROM Table1",
        "4|4");
    row("calculated text and number", "calcFieldTestV2010.accdb",
        "SELECT LastFirst, LastFirstLen FROM Table1 WHERE ID = 4", "User, Test|10");
    row("calculated memo", "calcFieldTestV2010.accdb", "SELECT AllNames FROM Table1 WHERE ID = 2",
        "Simpson, Bart=Simpson, Bart");
    row("calculated yes/no", "calcFieldTestV2010.accdb", "SELECT IsRich FROM Table1 ORDER BY ID", "-1,0,0,0");
    row("calculated currency and decimal", "calcFieldTestV2010.accdb",
        "SELECT MonthlySalary, WeeklySalary FROM Table1 WHERE ID = 2", "-0.0833|-0.0192307692307692");
    row("calculated wide decimal", "calcFieldTestV2010.accdb", "SELECT BigNumTest FROM Table1 WHERE ID = 1",
        "56505085819.424791296572280180");
    row("Numeric(18,6) exact", "calcFieldTestV2010.accdb", "SELECT Popularity FROM Table1 ORDER BY ID",
        "50.325000,-36.222200,0.012300,102030405060.654321");
    row("Currency with four decimals", "calcFieldTestV2010.accdb", "SELECT Salary FROM Table1 ORDER BY ID",
        "1000000.0000,-1.0000,0.0000,100.0000");
    row("Single as Access shows it", "testIndexCodesV1997.mdb",
        "SELECT data FROM Table5 WHERE name IN ('row13', 'row14', 'row9') ORDER BY name",
        "43.32,-94.43,0.000345134");
    // The text Jackcess and Access print for these replication IDs.
    row("Replication ID", "testIndexCodesV1997.mdb",
        "SELECT data FROM Table13 WHERE name IN ('row0', 'row1') ORDER BY name",
        "{8E39276A-BCA8-4AC4-891E-49911D8438DD},{BDBB72AF-4C87-4904-9FEA-DF6DC89BF23D}");
    row("dates before 1900 and after 9999-01-01", "DateTestDatabase.mdb",
        "SELECT DateTimeCol, DateCol FROM DateTest WHERE IDCol IN (2, 3, 4) ORDER BY IDCol",
        "9999-01-01 00:00:00|9999-01-01 00:00:00,1898-01-01 00:00:00|1899-01-01 00:00:00,"
        "0632-01-01 00:00:00|0633-01-01 00:00:00");
}

void TestAccessFiles::values()
{
    QFETCH(QString, file);
    QFETCH(QString, statement);
    QFETCH(QString, expected);
    QString error;
    const QStringList rows = run(file, statement, &error);
    QCOMPARE(error, QString());
    QCOMPARE(rows.join(QLatin1Char(',')), expected);
}

void TestAccessFiles::patchedValues_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("expected");

    // "a😀a" is stored as 61 00 3D D8 00 DE 61 00.
    QTest::newRow("lone high surrogate")
        << fixture("testEmoticonsV2010.accdb") << QByteArray::fromHex("61003dd800de6100")
        << QByteArray::fromHex("61003dd862006100") << "SELECT data FROM data WHERE key = 128512"
        << QStringLiteral("a\uFFFDba");
    QTest::newRow("surrogates in reverse order")
        << fixture("testEmoticonsV2010.accdb") << QByteArray::fromHex("61003dd800de6100")
        << QByteArray::fromHex("610000de3dd86100") << "SELECT data FROM data WHERE key = 128512"
        << QStringLiteral("a\uFFFD\uFFFDa");
    // 43.32 as a single (AE 47 2D 42) becomes 0.15 (9A 99 19 3E).
    QTest::newRow("Single 0.15") << fixture("testIndexCodesV1997.mdb") << QByteArray::fromHex("ae472d42")
                                 << QByteArray::fromHex("9a99193e")
                                 << "SELECT data FROM Table5 WHERE name = 'row13'"
                                 << "0.15";
    // Before 1899-12-30 the days count back while the time of day counts forward: 1898-01-01 is
    // -728.0, so -728.75 is 18:00 that day (not 06:00, nor a day earlier).
    QTest::newRow("date before 1899 with a time")
        << fixture("DateTestDatabase.mdb") << QByteArray::fromHex("0000000000c086c0")
        << QByteArray::fromHex("0000000000c686c0") << "SELECT DateTimeCol FROM DateTest WHERE IDCol = 3"
        << "1898-01-01 18:00:00";
    QTest::newRow("year 632 at noon")
        << fixture("DateTestDatabase.mdb") << QByteArray::fromHex("0000000058441cc1")
        << QByteArray::fromHex("000000005a441cc1") << "SELECT DateTimeCol FROM DateTest WHERE IDCol = 4"
        << "0632-01-01 12:00:00";
    // The Jet 3 catalogue names Table10 in Windows-1252; Umsätze has as many bytes.
    for (const char *spelling : {"UMSÄTZE", "umsätze", "Umsätze"})
        QTest::addRow("table name %s", spelling)
            << fixture("testIndexCodesV1997.mdb") << QByteArray("Table10") << QByteArray("Ums\xe4tze")
            << QStringLiteral("SELECT count(*) FROM [%1]").arg(QString::fromUtf8(spelling)) << "5";
}

void TestAccessFiles::patchedValues()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(QString, statement);
    QFETCH(QString, expected);
    QByteArray bytes = bytesOf(file);
    QVERIFY(bytes.contains(from));
    const QString path = write(QStringLiteral("patched.accdb"), bytes.replace(from, to));
    QString error;
    const QStringList rows = run(path, statement, &error);
    QCOMPARE(error, QString());
    QCOMPARE(rows.join(QLatin1Char(',')), expected);
}

void TestAccessFiles::unknownColumnTypeReadsAsNullWithANote()
{
    // The column entries of Table1 start at byte 63 + 12 per index of its definition (page 89);
    // the second entry is Field1, a Text column, given type 0x13 that no reader knows.
    QByteArray bytes = bytesOf(fixture("extDateTestV2019.accdb"));
    const int definition = 89 * 4096;
    QCOMPARE(int(bytes.at(definition)), 2);
    const int indexes = int(uchar(bytes.at(definition + 51)));
    const int field1 = definition + 63 + 12 * indexes + 25;
    QCOMPARE(int(bytes.at(field1)), 10);
    bytes[field1] = char(0x13);
    const QString path = write(QStringLiteral("unknown.accdb"), bytes);

    QString error;
    QStringList notes;
    const QStringList rows =
        run(path, "SELECT ID, Field1, DateNormal FROM Table1 WHERE ID <= 2 ORDER BY ID", &error, &notes);
    QCOMPARE(error, QString());
    QCOMPARE(rows, QStringList({"1|<NULL>|2020-06-17 00:00:00", "2|<NULL>|2021-06-14 00:00:00"}));
    QCOMPARE(notes.size(), 1);
    QVERIFY2(notes.first().contains(QLatin1String("Field1")), qPrintable(notes.first()));

    QProcess tool;
    tool.start(QStringLiteral(ZELT_BIN_DIR "/zelt-sql"), {path, "SELECT count(*) FROM Table1"});
    QVERIFY(tool.waitForFinished(30000));
    QCOMPARE(tool.exitCode(), 0);
    QCOMPARE(tool.readAllStandardOutput(), QByteArray("count(*)\n9\n1 row\n"));
    const QString stderrText = QString::fromUtf8(tool.readAllStandardError());
    QVERIFY2(stderrText.contains(QLatin1String("Field1")), qPrintable(stderrText));
}

void TestAccessFiles::reasonComesFirst()
{
    // The second of the catalogue's data pages zeroed: libmdb complains on stderr, the reason
    // leads.
    QByteArray bytes = bytesOf(fixture("testIndexCodesV1997.mdb"));
    const int size = pageSizeOf(bytes);
    QList<int> catalogueData;
    for (int page = 3; page < bytes.size() / size; ++page)
        if (bytes.at(page * size) == 1 && ownerOf(bytes, page) == 2)
            catalogueData.append(page);
    QCOMPARE(catalogueData.size(), 2);
    bytes.replace(catalogueData.last() * size, size, QByteArray(size, '\0'));
    const QString path = write(QStringLiteral("catalogue.mdb"), bytes);

    QString error;
    run(path, "SELECT * FROM DateTest", &error);
    const QStringList lines = error.split(QLatin1Char('\n'));
    QVERIFY2(lines.first().startsWith(QStringLiteral("Não foi possível abrir o banco de dados \"%1\": "
                                                     "a tabela do catálogo está danificada (lidas ")
                                          .arg(path)),
             qPrintable(error));
    QVERIFY2(lines.size() <= 4, qPrintable(error));
}

void TestAccessFiles::misbehavingReaderKeepsLittleOfItsComplaints()
{
#ifdef __SANITIZE_ADDRESS__
    QSKIP("AddressSanitizer keeps freed blocks in quarantine: the peak memory says nothing here");
#endif
    // A stand-in reader that complains without end and never answers.
    const QString script = m_dir.filePath(QStringLiteral("complaining-reader"));
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\nyes 'offset 123456 is beyond EOF' | head -n 1500000 >&2\nexec sleep 60\n");
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    MdbReader::setHelperPath(script);
    MdbReader::setNoProgressTimeout(1500);
    const auto restore = qScopeGuard([] {
        MdbReader::setHelperPath(QString());
        MdbReader::setNoProgressTimeout(4000);
    });

    const qint64 before = peakMemoryKb();
    QString error;
    try {
        MdbReader(fixture("DateTestDatabase.mdb")).tables();
    } catch (const DataError &e) {
        error = e.message();
    }
    // 40 MB of complaints came; a few kB of them are kept.
    QVERIFY2(peakMemoryKb() - before < 16 * 1024, qPrintable(QString::number(peakMemoryKb() - before)));
    QVERIFY2(error.contains(QLatin1String("sem progresso")), qPrintable(error.left(300)));
    QVERIFY2(error.size() < 1000, qPrintable(error.left(300)));
    QVERIFY2(error.endsWith(QLatin1String("offset 123456 is beyond EOF")), qPrintable(error.right(300)));
}

// The reader's stream may come through the pipe in pieces cut anywhere, down to a byte: a record
// is taken only once all of it has come, whatever the parser's buffer held before.
void TestAccessFiles::streamInSmallPieces()
{
    const auto u32 = [](quint32 value) {
        QByteArray bytes(4, Qt::Uninitialized);
        qToLittleEndian(value, bytes.data());
        return bytes;
    };
    const auto sized = [&u32](const QByteArray &text) { return u32(quint32(text.size())) + text; };
    QByteArray seven(8, Qt::Uninitialized);
    qToLittleEndian(qint64(7), seven.data());
    // Columns Codigo (whole number) and Nome (text); rows (NULL, Pesca), (NULL, NULL), (7, Mar).
    const QByteArray stream = QByteArray("ZELTMDB1") + 'C' + '\x01' + sized("Codigo") + 'C' + '\x03' +
                              sized("Nome") + 'R' + '\0' + '\x03' + sized("Pesca") + 'R' + '\0' + '\0' + 'R' +
                              '\x01' + seven + '\x03' + sized("Mar") + 'E' + u32(3);
    const QString streamFile = write(QStringLiteral("stream.bin"), stream);
    QVERIFY(!streamFile.isEmpty());
    // A stand-in reader that sends the stream a byte at a time.
    const QString script = write(
        QStringLiteral("slow-reader"),
        QStringLiteral("#!/bin/sh\ni=0\nwhile [ $i -lt %1 ]; do\n"
                       "  dd if='%2' bs=1 skip=$i count=1 status=none\n  sleep 0.01\n  i=$((i + 1))\ndone\n")
            .arg(stream.size())
            .arg(streamFile)
            .toUtf8());
    QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    MdbReader::setHelperPath(script);
    const auto restore = qScopeGuard([] { MdbReader::setHelperPath(QString()); });

    QStringList rows;
    QString error;
    try {
        MdbReader(fixture("DateTestDatabase.mdb"))
            .readTable(
                QStringLiteral("Tabela"), [](const std::vector<AccessColumn> &) {},
                [&rows](const std::vector<AccessValue> &row) {
                    QStringList values;
                    for (const AccessValue &value : row)
                        values.append(
                            value.tag == mdbprotocol::NullValue ? QStringLiteral("<NULL>")
                            : value.tag == mdbprotocol::IntegerValue
                                ? QString::number(value.integer)
                                : QString::fromUtf8(value.bytes.data(), qsizetype(value.bytes.size())));
                    rows.append(values.join(QLatin1Char('|')));
                });
    } catch (const DataError &e) {
        error = e.message();
    }
    QCOMPARE(error, QString());
    QCOMPARE(rows, (QStringList{"<NULL>|Pesca", "<NULL>|<NULL>", "7|Mar"}));
}

void TestAccessFiles::damagedCopies_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<QString>("damage");
    QTest::addColumn<int>("at");

    for (int s = 0; s < int(std::size(kSources)); ++s) {
        const QByteArray bytes = bytesOf(fixture(kSources[s].file));
        const int size = pageSizeOf(bytes);
        const int pages = bytes.size() / size;
        const char *name = kSources[s].file;
        for (int page = 1; page < pages; page += std::max(1, pages / 20)) {
            QTest::addRow("%s: page %d zeroed", name, page) << s << "zero" << page;
            QTest::addRow("%s: pages %d and %d swapped", name, page, page + 1) << s << "swap" << page;
        }
        for (const int cut : {pages / 2, pages - 1})
            QTest::addRow("%s: cut after %d pages", name, cut) << s << "cut" << cut;
        for (int page = 1, found = 0; page < pages && found < 16; ++page) {
            if (!isLongValuePage(bytes, page))
                continue;
            ++found;
            QTest::addRow("%s: long-value page %d zeroed", name, page) << s << "zero" << page;
            QTest::addRow("%s: long-value page %d header burst", name, page) << s << "header" << page;
            QTest::addRow("%s: long-value page %d body burst", name, page) << s << "body" << page;
        }
    }
    // The definitions of DateTest (page 18) and of other tables swapped: the empty MSysQueries (4),
    // MSysRelationships (5) and the attachment table (21).
    for (const int other : {4, 5, 21})
        QTest::addRow("DateTest's definition swapped with page %d", other)
            << 5 << "swap definitions" << other;
}

void TestAccessFiles::damagedCopies()
{
    QFETCH(int, source);
    QFETCH(QString, damage);
    QFETCH(int, at);
    // Another table's definition may lack the column to sort on: then the rows are sorted here.
    const bool definitions = damage == QLatin1String("swap definitions");
    const QString statement = definitions ? QStringLiteral("SELECT * FROM DateTest")
                                          : QString::fromUtf8(kSources[source].statement);
    QByteArray bytes = bytesOf(fixture(kSources[source].file));
    QString error;
    QStringList expected = run(fixture(kSources[source].file), statement, &error);
    QCOMPARE(error, QString());

    const int size = pageSizeOf(bytes);
    std::mt19937 random(static_cast<std::mt19937::result_type>(at * 31 + source));
    const auto burst = [&](int from, int length) {
        for (int i = 0; i < 4; ++i)
            bytes[from + int(random() % length)] = char(random() % 256);
    };
    if (damage == QLatin1String("zero")) {
        bytes.replace(at * size, size, QByteArray(size, '\0'));
    } else if (damage == QLatin1String("swap")) {
        const QByteArray first = bytes.mid(at * size, size);
        bytes.replace(at * size, size, bytes.mid((at + 1) * size, size));
        bytes.replace((at + 1) * size, size, first);
    } else if (damage == QLatin1String("swap definitions")) {
        constexpr int kDateTest = 18;
        const QByteArray first = bytes.mid(kDateTest * size, size);
        bytes.replace(kDateTest * size, size, bytes.mid(at * size, size));
        bytes.replace(at * size, size, first);
    } else if (damage == QLatin1String("cut")) {
        bytes.truncate(at * size);
    } else if (damage == QLatin1String("header")) {
        burst(at * size, 24); // type, signature, free space, row count and the first row offsets
    } else {
        burst(at * size + size / 2, size / 2);
    }
    const QString path = write(QStringLiteral("damaged.accdb"), bytes);
    QStringList rows = run(path, statement, &error);
    if (definitions) {
        rows.sort();
        expected.sort();
    }
    if (!error.isEmpty()) {
        // A damaged catalogue may lose the table or a column: then it is not there to read.
        QVERIFY2(error.contains(path) || error.contains(QLatin1String("no such")), qPrintable(error));
        QVERIFY2(error.count(QLatin1Char('\n')) <= 3, qPrintable(error));
        return;
    }
    // Changed bytes inside a stored text cannot be told from text; everything else can.
    if (damage == QLatin1String("body"))
        QCOMPARE(rows.size(), expected.size());
    else
        QCOMPARE(rows, expected);
}

void TestAccessFiles::damageElsewhereLeavesTheTableReadable_data()
{
    QTest::addColumn<int>("page");
    // Definitions of system tables that reading DateTest never needs.
    const std::pair<const char *, int> tables[] = {{"MSysACEs", 3},
                                                   {"MSysQueries", 4},
                                                   {"MSysRelationships", 5},
                                                   {"MSysAccessStorage", 28},
                                                   {"MSysNavPaneGroupCategories", 38},
                                                   {"MSysNavPaneGroups", 41},
                                                   {"MSysNavPaneGroupToObjects", 45},
                                                   {"MSysNavPaneObjectIDs", 64}};
    for (const auto &[name, page] : tables)
        QTest::addRow("%s zeroed", name) << page;
}

void TestAccessFiles::damageElsewhereLeavesTheTableReadable()
{
    QFETCH(int, page);
    const QString intact = fixture("DateTestDatabase.mdb");
    QByteArray bytes = bytesOf(intact);
    QCOMPARE(int(bytes.at(page * 4096)), 2);
    bytes.replace(page * 4096, 4096, QByteArray(4096, '\0'));
    const QString path = write(QStringLiteral("elsewhere.mdb"), bytes);
    const QString statement = QStringLiteral("SELECT * FROM DateTest ORDER BY IDCol");
    QString error;
    const QStringList expected = run(intact, statement, &error);
    const QStringList rows = run(path, statement, &error);
    QCOMPARE(error, QString());
    QCOMPARE(rows, expected);
}

QTEST_GUILESS_MAIN(TestAccessFiles)
#include "tst_accessfiles.moc"
