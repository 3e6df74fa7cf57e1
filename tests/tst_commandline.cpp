#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "support/ProgramRun.h"
#include "support/TestDatabase.h"
#include "TestPaths.h"

// ZELT started from a shell: the text answers, the home page on the database it was given, and
// the same start-up error for a bad --database file as for a missing default one.
class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void textAnswers_data();
    void textAnswers();
    void opensHomePage_data();
    void opensHomePage();
    void badDatabaseFile_data();
    void badDatabaseFile();

private:
    QString homeReport(const QString &database) const;

    QTemporaryDir m_dir;
    const QString m_program = QStringLiteral(ZELT_BIN_DIR "/ZELT");
};

void TestCommandLine::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(testdb::copyFile(QStringLiteral(ZELT_SAMPLE_DB), m_dir.filePath(QStringLiteral("copy.mdb"))));
    QVERIFY(testdb::copyFile(QStringLiteral(ZELT_SAMPLE_DB), m_dir.filePath(QStringLiteral("a;b 'c'.mdb"))));
}

QString TestCommandLine::homeReport(const QString &database) const
{
    return QStringLiteral("page: TbSPrincipal\nedition: ZELT 2.0\ndatabase: %1\n").arg(database);
}

void TestCommandLine::textAnswers_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("display");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out"); // part of stdout
    QTest::addColumn<QString>("err"); // part of stderr

    // Help and version need no display: they are answered before any window exists.
    QTest::newRow("version") << QStringList{"--version"} << false << 0 << "ZELT " ZELT_VERSION "\n"
                             << "";
    QTest::newRow("help") << QStringList{"--help"} << false << 0 << "--database <FILE>"
                          << "";
    // Wrong arguments are refused before any display is needed too, not by Qt's platform error.
    QTest::newRow("empty value") << QStringList{"--database", ""} << false << 1 << ""
                                 << "--database needs a file name";
    QTest::newRow("unknown option") << QStringList{"--databse", "x.mdb"} << false << 1 << ""
                                    << "Unknown option 'databse'";
    QTest::newRow("bogus") << QStringList{"--bogus"} << false << 1 << ""
                           << "Unknown option 'bogus'";
    QTest::newRow("two files") << QStringList{"x.mdb", "y.mdb"} << false << 1 << ""
                               << "unexpected argument 'y.mdb'; give one database file";
    QTest::newRow("file and --database")
        << QStringList{"--database", "x.mdb", "y.mdb"} << false << 1 << ""
        << "unexpected argument 'y.mdb'; the database is given with --database already";
    // After --, every argument is a file, even one named like a Qt option that takes a value.
    QTest::newRow("files after --") << QStringList{"--", "-name", "x.mdb"} << false << 1 << ""
                                    << "unexpected argument 'x.mdb'; give one database file";
    // Qt's own options are Qt's: -style takes its value, and only the unknown one is refused.
    QTest::newRow("Qt option beside a bogus one")
        << QStringList{"-style", "fusion", "--bogus"} << false << 1 << ""
        << "Unknown option 'bogus'";
}

void TestCommandLine::textAnswers()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, display);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const ProgramRun run =
        runProgram(m_program, arguments, m_dir.path(),
                   display ? QProcessEnvironment::systemEnvironment() : environmentWithoutDisplay());
    QVERIFY2(run.finished, qPrintable(run.err));
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.out.contains(out), qPrintable(run.out));
    QVERIFY2(run.err.contains(err), qPrintable(run.err));
    QVERIFY2(!run.out.contains(QLatin1String("start-check")), "a test-only option shows in the help");
}

void TestCommandLine::opensHomePage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("database");

    QTest::newRow("beside the program")
        << QStringList{} << QDir(QStringLiteral(ZELT_SAMPLE_DB)).absolutePath();
    QTest::newRow("relative to the current folder")
        << QStringList{"--database", "copy.mdb"} << m_dir.filePath(QStringLiteral("copy.mdb"));
    QTest::newRow("file alone, as a file manager gives it")
        << QStringList{"copy.mdb"} << m_dir.filePath(QStringLiteral("copy.mdb"));
    QTest::newRow("name with ; and quotes")
        << QStringList{"--database=" + m_dir.filePath(QStringLiteral("a;b 'c'.mdb"))}
        << m_dir.filePath(QStringLiteral("a;b 'c'.mdb"));
}

void TestCommandLine::opensHomePage()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, database);
    const ProgramRun run = runProgram(m_program, arguments + QStringList{"--start-check"}, m_dir.path());
    QVERIFY2(run.finished, qPrintable(run.err));
    QCOMPARE(run.out, homeReport(database));
    QVERIFY2(!run.err.contains(QLatin1String("error:")), qPrintable(run.err));
    QCOMPARE(run.exitCode, 0);
}

void TestCommandLine::badDatabaseFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("missing") << m_dir.filePath(QStringLiteral("nada.mdb"));
    QTest::newRow("a folder") << m_dir.path();
    QTest::newRow("empty") << m_dir.filePath(QStringLiteral("empty.mdb"));
    // A value that looks like an option is still a file name, not a request for the version.
    QTest::newRow("named --version") << QStringLiteral("--version");
}

void TestCommandLine::badDatabaseFile()
{
    QFETCH(QString, file);
    QFile(m_dir.filePath(QStringLiteral("empty.mdb"))).open(QIODevice::WriteOnly);
    const QFileInfo given(QDir(m_dir.path()), file);

    // The same file as the default database: a copy of the program in a folder of its own.
    QTemporaryDir programDir;
    const QString program = programDir.filePath(QStringLiteral("ZELT"));
    QVERIFY(QFile::copy(m_program, program));
    const QString defaultFile = programDir.filePath(QStringLiteral("Database/ZELT.mdb"));
    QVERIFY(QDir().mkpath(given.isDir() ? defaultFile : programDir.filePath(QStringLiteral("Database"))));
    if (given.isFile())
        QVERIFY(QFile::copy(given.filePath(), defaultFile));
    const ProgramRun besideRun = runProgram(program, {"--start-check"}, m_dir.path());
    const ProgramRun givenRun = runProgram(program, {"--start-check", "--database", file}, m_dir.path());

    // The window still comes up on its home page, with one error dialog and no edition.
    const QString report = QStringLiteral("page: TbSPrincipal\nedition: \ndatabase: \n");
    for (const ProgramRun &run : {besideRun, givenRun}) {
        QVERIFY2(run.finished, qPrintable(run.err));
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, report);
        QCOMPARE(run.err.count(QLatin1String("error:")), 1);
    }
    const QString error = givenRun.err.mid(givenRun.err.indexOf(QLatin1String("error:")));
    QVERIFY2(error.contains('"' + given.absoluteFilePath() + '"'), qPrintable(error));
    QString expected = besideRun.err.mid(besideRun.err.indexOf(QLatin1String("error:")));
    expected.replace(defaultFile, given.absoluteFilePath());
    QCOMPARE(error, expected);
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
