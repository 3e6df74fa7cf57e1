#include "TestPaths.h"
#include "support/TestDatabase.h"

#include "data/Connection.h"
#include "data/DataError.h"
#include "data/MdbReader.h"
#include "data/Query.h"
#include "data/ValueText.h"

#include <QtTest>

#include <random>

// The Access path: a small Jet 4 file read through the reader process, and damaged copies of
// it, each of which must end in a DataError or a whole result, never a crash or a hang.
class TestAccessDatabase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void readsEveryRowAndColumn();
    void values_data();
    void values();
    void namesAndComparisonsIgnoreCase_data();
    void namesAndComparisonsIgnoreCase();
    void refusesWritingAndLeavesTheFileUntouched();
    void missingTableIsNamed();
    void truncatedCopies_data();
    void truncatedCopies();
    void damagedCopies_data();
    void damagedCopies();

private:
    // Opens path and reads the whole table: the rows as text, or the error message.
    static QStringList readAll(const QString &path, QString *error);

    QTemporaryDir m_dir;
    QString m_path;
    QByteArray m_original;
    QStringList m_expectedRows;
    Connection m_connection;
};

namespace
{

const QString kFixture = QStringLiteral(ZELT_FIXTURES_DIR "/DateTestDatabase.mdb");
constexpr int kPageSize = 4096;

} // namespace

QStringList TestAccessDatabase::readAll(const QString &path, QString *error)
{
    QStringList rows;
    try {
        Connection connection;
        connection.setConnectionString(testdb::connectionStringFor(path));
        connection.open();
        const ResultSet result = connection.execute(QStringLiteral("SELECT * FROM DateTest ORDER BY IDCol"));
        for (const auto &row : result.rows) {
            QStringList values;
            for (const QVariant &value : row)
                values.append(value.isValid() ? valueText(value) : QStringLiteral("<NULL>"));
            rows.append(values.join(QLatin1Char('|')));
        }
    } catch (const DataError &e) {
        *error = e.message();
    }
    return rows;
}

void TestAccessDatabase::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // A hang shows as no progress; a short wait keeps the damaged cases quick.
    MdbReader::setNoProgressTimeout(4000);
    m_path = m_dir.filePath(QStringLiteral("ZELT.mdb"));
    QVERIFY(testdb::copyFile(kFixture, m_path));
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    m_original = file.readAll();
    QCOMPARE(m_original.size() % kPageSize, 0);
    m_connection.setConnectionString(testdb::connectionStringFor(m_path));
    m_connection.open();

    QString error;
    m_expectedRows = readAll(m_path, &error);
    QCOMPARE(error, QString());
}

void TestAccessDatabase::readsEveryRowAndColumn()
{
    const ResultSet result = m_connection.execute(QStringLiteral("SELECT * FROM DateTest"));
    QStringList names;
    QList<bool> longText;
    for (const ResultColumn &column : result.columns) {
        names.append(column.name);
        longText.append(column.longText);
    }
    QCOMPARE(names,
             QStringList({"IDCol", "DateTimeCol", "DateCol", "TimeCol", "LongTextCol", "ShortTextCol"}));
    QCOMPARE(longText, QList<bool>({false, false, false, false, true, false}));
    QCOMPARE(result.rows.size(), 6);
    QCOMPARE(m_expectedRows.size(), 6);
}

void TestAccessDatabase::values_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");

    const auto row = [](const char *name, int id, const QString &field, const QString &expected) {
        QTest::newRow(name) << id << field << expected;
    };

    row("long integer", 3, "IDCol", "3");
    row("date and time", 1, "DateTimeCol", "2021-12-02 00:00:00");
    row("year 9999", 2, "DateCol", "9999-01-01 00:00:00");
    row("before 1900", 3, "DateTimeCol", "1898-01-01 00:00:00");
    row("before 1000", 4, "TimeCol", "0634-01-01 00:00:00");
    row("memo", 2, "LongTextCol", "Year 9999");
    row("memo with a line break", 6, "LongTextCol", "New line\r\nin field");
    row("backslashes stay", 5, "ShortTextCol", "Escaped new line \\r\\n in field");
    row("text", 6, "ShortTextCol", "No new line");
}

void TestAccessDatabase::values()
{
    QFETCH(int, id);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    Query query(m_connection, QStringLiteral("QryAuxiliar"));
    query.reload(QStringLiteral("SELECT * FROM DateTest WHERE IDCol = %1").arg(id));
    QCOMPARE(query.recordCount(), 1);
    QCOMPARE(query.fieldByName(field).asString(), expected);
}

void TestAccessDatabase::namesAndComparisonsIgnoreCase_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("expected"); // first column of every row

    const auto row = [](const char *name, const QString &statement, const QString &expected) {
        QTest::newRow(name) << statement << expected;
    };

    row("table and column case", "SELECT idcol FROM [DATETEST] WHERE SHORTTEXTCOL = 'hello'", "1");
    row("LIKE on a memo", "SELECT IDCol FROM datetest WHERE LongTextCol LIKE '%NEW LINE%' ORDER BY IDCol",
        "5,6");
    row("NOT LIKE and <>",
        "SELECT IDCol FROM DateTest WHERE NOT ShortTextCol LIKE 'pre%' AND IDCol <> 1 "
        "ORDER BY IDCol DESC",
        "6,5,2");
    row("Left, Right and +",
        "SELECT (Left(ShortTextCol, 4) + '-' + Right(LongTextCol, 4)) As X FROM "
        "DateTest WHERE IDCol = 2",
        "Year-9999");
    row("numbers add", "SELECT IDCol + 10 FROM DateTest WHERE IDCol = 2", "12");
    row("MAX of a date", "SELECT MAX(DateTimeCol) FROM DateTest", "9999-01-01 00:00:00");
    row("qualified join",
        "SELECT A.IDCol FROM DateTest A INNER JOIN DateTest B ON A.IDCol = B.IDCol + 1 "
        "WHERE B.ShortTextCol = 'HELLO'",
        "2");
}

void TestAccessDatabase::namesAndComparisonsIgnoreCase()
{
    QFETCH(QString, statement);
    QFETCH(QString, expected);
    const ResultSet result = m_connection.execute(statement);
    QStringList values;
    for (const auto &row : result.rows)
        values.append(valueText(row.first()));
    QCOMPARE(values.join(QLatin1Char(',')), expected);
}

void TestAccessDatabase::refusesWritingAndLeavesTheFileUntouched()
{
    const QDateTime modified = QFileInfo(m_path).lastModified();
    QVERIFY_THROWS_EXCEPTION(DataError, m_connection.execute(QStringLiteral("DELETE FROM DateTest")));
    QVERIFY_THROWS_EXCEPTION(DataError,
                             m_connection.execute(QStringLiteral("UPDATE DateTest SET IDCol = 0")));
    QVERIFY_THROWS_EXCEPTION(DataError, m_connection.execute(QStringLiteral("DROP TABLE DateTest")));
    QCOMPARE(m_connection.execute(QStringLiteral("SELECT * FROM DateTest")).rows.size(), 6);
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), m_original);
    QCOMPARE(QFileInfo(m_path).lastModified(), modified);
}

void TestAccessDatabase::missingTableIsNamed()
{
    try {
        m_connection.execute(QStringLiteral("SELECT * FROM ZELT_Classificacao"));
        QFAIL("no error");
    } catch (const DataError &error) {
        QVERIFY2(error.message().contains(QLatin1String("no such table: ZELT_Classificacao")),
                 qPrintable(error.message()));
    }
}

void TestAccessDatabase::truncatedCopies_data()
{
    QTest::addColumn<int>("size");
    const int pages = m_original.size() / kPageSize;
    for (int page = 0; page < pages; ++page) {
        QTest::addRow("%d pages", page) << page * kPageSize;
        if (page % 8 == 1)
            QTest::addRow("%d pages and 1000 bytes", page) << page * kPageSize + 1000;
    }
    QTest::addRow("one byte short") << int(m_original.size()) - 1;
}

void TestAccessDatabase::truncatedCopies()
{
    QFETCH(int, size);
    const QString path = m_dir.filePath(QStringLiteral("truncated.mdb"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(m_original.left(size)), qint64(size));
    file.close();

    QString error;
    const QStringList rows = readAll(path, &error);
    // Pages past the last one in use can go unnoticed; then the rows must be whole.
    if (error.isEmpty())
        QCOMPARE(rows, m_expectedRows);
    else
        QVERIFY2(error.contains(path), qPrintable(error));
    if (size % kPageSize != 0 || size < 2 * kPageSize)
        QVERIFY2(error.contains(QLatin1String("truncated")), qPrintable(error));
}

void TestAccessDatabase::damagedCopies_data()
{
    QTest::addColumn<int>("seed");
    for (int seed = 1; seed <= 150; ++seed)
        QTest::addRow("seed %d", seed) << seed;
}

void TestAccessDatabase::damagedCopies()
{
    QFETCH(int, seed);
    // A few bytes changed in the pages that reading the table goes through: the header, the
    // catalogue's definition and rows, the table's definition and rows (pages of this file).
    static const int pages[] = {0, 2, 17, 18, 20};
    std::mt19937 random(static_cast<std::mt19937::result_type>(seed));
    QByteArray damaged = m_original;
    const int changes = 1 + int(random() % 4);
    for (int i = 0; i < changes; ++i) {
        const int at = pages[random() % std::size(pages)] * kPageSize + int(random() % kPageSize);
        damaged[at] = char(damaged.at(at) ^ char(1 + random() % 255));
    }
    const QString path = m_dir.filePath(QStringLiteral("damaged.mdb"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(damaged), qint64(damaged.size()));
    file.close();

    QString error;
    const QStringList rows = readAll(path, &error);
    // A changed byte inside a value cannot be told from data; anything else must be noticed,
    // as a damaged file or as a table or column that its damaged catalogue no longer holds.
    if (error.isEmpty())
        QCOMPARE(rows.size(), m_expectedRows.size());
    else
        QVERIFY2(error.contains(path) || error.contains(QLatin1String("no such")), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestAccessDatabase)
#include "tst_accessdatabase.moc"
