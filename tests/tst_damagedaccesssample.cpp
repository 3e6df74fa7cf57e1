#include "TestPaths.h"
#include "support/TestDatabase.h"

#include "data/Connection.h"
#include "data/DataError.h"
#include "data/MdbReader.h"
#include "data/ValueText.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <random>

// Damaged copies of the Access sample, read through the program's engine: cut short, pages
// zeroed, bytes changed in the structure of long-value and data pages. Each must give the whole
// right result or an error naming the file; never a crash, a hang, or changed values shown as
// real. Jet files carry no checksums, so bytes inside a stored text can change unnoticed: the
// damage goes where a reader can check what it reads (page headers, row offsets, long-value
// chains), not into the texts themselves.
class TestDamagedAccessSample : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void truncatedCopies_data();
    void truncatedCopies();
    void zeroedPages_data();
    void zeroedPages();
    void burstsInLongValuePages_data();
    void burstsInLongValuePages();
    void burstsInDataPages_data();
    void burstsInDataPages();

private:
    // Reads the tables the damage aims at: every value as text, or the error.
    QString readTables(const QString &path) const;
    void expectRightResultOrError(const QByteArray &damaged);

    QTemporaryDir m_dir;
    QByteArray m_original;
    QString m_expected;
    std::vector<int> m_lvalPages;   // long-value pages of the notes read
    std::vector<int> m_dataPages;   // data pages of the tables read
    std::vector<int> m_systemPages; // header, maps, catalogue and table definitions
};

namespace
{

constexpr int kPageSize = 4096;
const QStringList kTables = {"ZELT_Classificacao", "ZELT_200_Secao", "ZELT_200_Divisao"};

quint32 le32(const QByteArray &bytes, int at)
{
    return quint8(bytes[at]) | quint8(bytes[at + 1]) << 8 | quint8(bytes[at + 2]) << 16 |
           quint32(quint8(bytes[at + 3])) << 24;
}

int le16(const QByteArray &bytes, int at)
{
    return quint8(bytes[at]) | quint8(bytes[at + 1]) << 8;
}

#ifdef ZELT_SANITIZED
constexpr int kRounds = 1; // the sanitizers make each read slow
#else
constexpr int kRounds = 3;
#endif

// A burst lands where a reader can tell: the page's type and owner (and a long-value page's row
// count), its row offsets, or the pointer that starts a row of a long-value chain (a page of one
// full row). A data page's row count is left alone: a smaller one only hides rows, which a
// reader cannot tell from a table whose stored row count is stale, as real files' can be.
QByteArray burst(const QByteArray &original, int page, bool longValues, std::mt19937 &random)
{
    QByteArray damaged = original;
    const int at = page * kPageSize;
    const int rows = le16(original, at + 12);
    const bool chain = longValues && rows == 1 && le16(original, at + 14) == 16;
    int start = 0;
    int length = 1 + int(random() % 4);
    switch (random() % (chain ? 3 : 2)) {
    case 0:
        start = int(random() % (longValues ? 10 : 8));
        if (start >= 8)
            start += 4; // the row count, past four bytes nothing reads
        length = std::min(length, (start < 8 ? 8 : 14) - start);
        break;
    case 1:
        start = 14 + int(random() % (2 * rows));
        break;
    default:
        start = 16;
        break;
    }
    for (int i = start; i < start + length; ++i)
        damaged[at + i] = char(damaged.at(at + i) ^ char(1 + random() % 255));
    return damaged;
}

} // namespace

QString TestDamagedAccessSample::readTables(const QString &path) const
{
    try {
        Connection connection;
        connection.setConnectionString(testdb::connectionStringFor(path));
        connection.open();
        QStringList text;
        for (const QString &table : kTables) {
            const ResultSet result = connection.execute("SELECT * FROM " + table);
            for (const auto &row : result.rows)
                for (const QVariant &value : row)
                    text.append(value.isValid() ? valueText(value) : QStringLiteral("<NULL>"));
        }
        return text.join(QLatin1Char('\x1f'));
    } catch (const DataError &error) {
        return QStringLiteral("error: ") + error.message();
    }
}

void TestDamagedAccessSample::initTestCase()
{
    QVERIFY(m_dir.isValid());
    MdbReader::setNoProgressTimeout(4000);
    const QString path = m_dir.filePath("sample.mdb");
    QProcess makedb;
    makedb.start(ZELT_BIN_DIR "/zelt-makedb", {"--format", "access", path});
    QVERIFY(makedb.waitForFinished(120000) && makedb.exitCode() == 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    m_original = file.readAll();
    m_expected = readTables(path);
    QVERIFY2(!m_expected.startsWith("error: "), qPrintable(m_expected));

    // Table definitions are numbered in the order the tables were written: the three shared
    // tables, then the first edition's section, division and group tables; the empty system
    // tables come last. The long values of the section and division notes were written before
    // the group table began.
    std::vector<int> definitions;
    const int pages = int(m_original.size() / kPageSize);
    for (int page = 3; page < pages; ++page)
        if (m_original[page * kPageSize] == 0x02)
            definitions.push_back(page);
    QVERIFY(definitions.size() == 27 + 3);
    const std::vector<int> read = {definitions[0], definitions[3], definitions[4]};
    m_systemPages = {0, 1, 2, read[0], read[1], read[2]};
    for (int page = 3; page < pages; ++page) {
        const int at = page * kPageSize;
        if (m_original[at] != 0x01)
            continue;
        const quint32 owner = le32(m_original, at + 4);
        if (owner == 0x4C41564C && page > read[1] && page < definitions[5])
            m_lvalPages.push_back(page);
        else if (std::find(read.begin(), read.end(), int(owner)) != read.end())
            m_dataPages.push_back(page);
        else if (owner == 2 || owner == quint32(page))
            m_systemPages.push_back(page); // the catalogue's rows and the usage maps
    }
    QVERIFY(m_lvalPages.size() > 10 && m_dataPages.size() > 5);
}

void TestDamagedAccessSample::expectRightResultOrError(const QByteArray &damaged)
{
    const QString path = m_dir.filePath("damaged.mdb");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(damaged), qint64(damaged.size()));
    file.close();
    const QString result = readTables(path);
    if (result.startsWith(QLatin1String("error: ")))
        QVERIFY2(result.contains(QFileInfo(path).fileName()), qPrintable(result));
    else
        QVERIFY2(result == m_expected, "the damaged copy gave other values, shown as real");
}

void TestDamagedAccessSample::truncatedCopies_data()
{
    QTest::addColumn<int>("size");
    const int pages = int(m_original.size() / kPageSize);
    std::mt19937 random(14);
    for (int i = 0; i < 20 * kRounds; ++i) {
        const int page = int(random() % pages);
        QTest::addRow("%d pages", page) << page * kPageSize;
        QTest::addRow("%d pages and %d bytes", page, 1 + i * 97) << page * kPageSize + 1 + i * 97;
    }
    QTest::addRow("one page short") << int(m_original.size()) - kPageSize;
    QTest::addRow("one byte short") << int(m_original.size()) - 1;
}

void TestDamagedAccessSample::truncatedCopies()
{
    QFETCH(int, size);
    expectRightResultOrError(m_original.left(size));
}

void TestDamagedAccessSample::zeroedPages_data()
{
    QTest::addColumn<int>("page");
    for (int page : m_systemPages)
        QTest::addRow("system page %d", page) << page;
    std::mt19937 random(15);
    for (int i = 0; i < 25 * kRounds; ++i) {
        const int page =
            i % 2 ? m_lvalPages[random() % m_lvalPages.size()] : m_dataPages[random() % m_dataPages.size()];
        QTest::addRow("%s page %d (%d)", i % 2 ? "long-value" : "data", page, i) << page;
    }
}

void TestDamagedAccessSample::zeroedPages()
{
    QFETCH(int, page);
    QByteArray damaged = m_original;
    damaged.replace(page * kPageSize, kPageSize, QByteArray(kPageSize, '\0'));
    expectRightResultOrError(damaged);
}

void TestDamagedAccessSample::burstsInLongValuePages_data()
{
    QTest::addColumn<int>("seed");
    for (int seed = 1; seed <= 60 * kRounds; ++seed)
        QTest::addRow("seed %d", seed) << seed;
}

void TestDamagedAccessSample::burstsInLongValuePages()
{
    QFETCH(int, seed);
    std::mt19937 random{quint32(seed)};
    expectRightResultOrError(burst(m_original, m_lvalPages[random() % m_lvalPages.size()], true, random));
}

void TestDamagedAccessSample::burstsInDataPages_data()
{
    burstsInLongValuePages_data();
}

void TestDamagedAccessSample::burstsInDataPages()
{
    QFETCH(int, seed);
    std::mt19937 random{quint32(seed) + 1000};
    expectRightResultOrError(burst(m_original, m_dataPages[random() % m_dataPages.size()], false, random));
}

QTEST_GUILESS_MAIN(TestDamagedAccessSample)
#include "tst_damagedaccesssample.moc"
