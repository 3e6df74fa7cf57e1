#include "TestPaths.h"
#include "support/TestDatabase.h"

#include <QtTest>

// zelt-sql as a user runs it: output format, exit status, messages.
class TestSqlTool : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void run_data();
    void run();
    void printsValuesAsTheProgramShowsThem();

private:
    QTemporaryDir m_dir;
    QString m_path;
};

void TestSqlTool::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(QStringLiteral("ZELT.mdb"));
    QCOMPARE(testdb::createSqlite(
                 m_path,
                 {"CREATE TABLE Notas (Codigo INTEGER, Texto MEMO)", "INSERT INTO Notas VALUES (1, 'Ação')",
                  "INSERT INTO Notas VALUES (2, 'linha' || char(10) || 'quebrada' || char(9) || 'e\\')",
                  "INSERT INTO Notas VALUES (3, NULL)"}),
             QString());
}

void TestSqlTool::run_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("message"); // part of stderr

    const auto row = [](const char *name, const QStringList &arguments, int exitCode, const QString &output,
                        const QString &message) {
        QTest::newRow(name) << arguments << exitCode << output << message;
    };

    const QString fixture = QStringLiteral(ZELT_FIXTURES_DIR "/DateTestDatabase.mdb");
    row("SQLite rows", QStringList{m_path, "SELECT Codigo, Texto FROM notas ORDER BY Codigo"}, 0,
        "Codigo\tTexto\n1\tAção\n2\tlinha\\nquebrada\\te\\\\\n3\t\\N\n3 rows\n", "");
    row("one row", QStringList{m_path, "SELECT Left(Texto, 1) + '-' AS X FROM Notas WHERE Codigo = 1"}, 0,
        "X\nA-\n1 row\n", "");
    row("Access rows", QStringList{fixture, "SELECT IDCol FROM DateTest WHERE IDCol < 3 ORDER BY IDCol"}, 0,
        "IDCol\n1\n2\n2 rows\n", "");
    row("missing table", QStringList{m_path, "SELECT * FROM Nada"}, 1, "", "no such table: Nada");
    row("writing", QStringList{m_path, "DELETE FROM Notas"}, 1, "", "Only reading");
    row("missing file", QStringList{m_dir.filePath("nada.mdb"), "SELECT 1"}, 1, "",
        "nada.mdb\": file not found");
    row("no statement", QStringList{m_path}, 2, "", "usage");
}

void TestSqlTool::run()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QFETCH(QString, message);
    QProcess tool;
    tool.start(QStringLiteral(ZELT_BIN_DIR "/zelt-sql"), arguments);
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), exitCode);
    QCOMPARE(QString::fromUtf8(tool.readAllStandardOutput()), output);
    const QString errors = QString::fromUtf8(tool.readAllStandardError());
    QVERIFY2(message.isEmpty() ? errors.isEmpty() : errors.contains(message), qPrintable(errors));
}

// Values leave the rows as the program shows them, byte for byte: whole numbers without a
// fraction, text as QString would give it back (a malformed or cut sequence, a stray continuation
// byte, a surrogate or an overlong form replaced, a leading byte order mark dropped, even alone, a
// noncharacter or a character beyond the Basic Multilingual Plane kept), blobs read as UTF-8,
// escapes in text.
void TestSqlTool::printsValuesAsTheProgramShowsThem()
{
    const QString statement = QStringLiteral(
        "SELECT 1.5 AS a, 2.0 AS b, 'a' + 'b' AS c, NULL AS d, X'41FF' AS e, 'x\ty\\z' AS f, "
        "-9223372036854775807 - 1 AS g, CAST(X'EFBBBF41' AS TEXT) AS h, CAST(X'EDA080' AS TEXT) AS i, "
        "CAST(X'C0AF' AS TEXT) AS j, CAST(X'F09F9880' AS TEXT) AS k, CAST(X'EFBFBE' AS TEXT) AS l, "
        "X'EFBBBF41' AS m, 1e300 AS n, 'ação' AS o, CAST(X'41E282' AS TEXT) AS p, "
        "CAST(X'80A080' AS TEXT) AS q, CAST(X'C341C3' AS TEXT) AS r, CAST(X'EFBBBF' AS TEXT) AS s");
    QProcess tool;
    tool.start(QStringLiteral(ZELT_BIN_DIR "/zelt-sql"), {m_path, statement});
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitCode(), 0);
    const QByteArray replaced = "\xEF\xBF\xBD";
    QCOMPARE(tool.readAllStandardOutput(),
             "a\tb\tc\td\te\tf\tg\th\ti\tj\tk\tl\tm\tn\to\tp\tq\tr\ts\n"
             "1.5\t2\tab\t\\N\tA" +
                 replaced + "\tx\\ty\\\\z\t-9223372036854775808\tA\t" + replaced + replaced + replaced +
                 "\t" + replaced + replaced +
                 "\t\xF0\x9F\x98\x80\t\xEF\xBF\xBE\tA\t1e+300\ta\xC3\xA7\xC3\xA3o\tA" + replaced + replaced +
                 "\t" + replaced + replaced + replaced + "\t" + replaced + "A" + replaced + "\t\n1 row\n");
}

QTEST_GUILESS_MAIN(TestSqlTool)
#include "tst_sqltool.moc"
