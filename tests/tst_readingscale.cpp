// A whole large Access table through zelt-sql within a bound of memory: the rows stream from the
// reader into the in-memory copy and out again, never held twice.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include "support/ProgramRun.h"
#include "TestPaths.h"

class TestReadingScale : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void wholeTableWithinThreeTimesItsSize();
};

void TestReadingScale::wholeTableWithinThreeTimesItsSize()
{
#ifdef ZELT_SANITIZED
    QSKIP("AddressSanitizer's quarantine of freed blocks swells the peak");
#endif
    if (!QFile::exists(QStringLiteral("/usr/bin/time")))
        QFAIL("/usr/bin/time is missing (Debian package time, which tools/dev.sh installs)");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString access = dir.filePath(QStringLiteral("ZELT-10x.mdb"));
    const QString sqlite = dir.filePath(QStringLiteral("ZELT-10x.sqlite"));
    for (const auto &[format, path] : {std::pair{"access", access}, std::pair{"sqlite", sqlite}}) {
        const ProgramRun made = runProgram(QStringLiteral(ZELT_BIN_DIR "/zelt-makedb"),
                                           {QStringLiteral("--format"), QLatin1String(format), path,
                                            QStringLiteral("--scale"), QStringLiteral("10")},
                                           {}, QProcessEnvironment::systemEnvironment(), 300000);
        QVERIFY2(made.finished && made.exitCode == 0, qPrintable(made.err));
    }

    // The table's size as SQLite stores it: its pages in the SQLite sample of the same content.
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open_v2(sqlite.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt *pages = nullptr;
    QCOMPARE(sqlite3_prepare_v2(db, "SELECT sum(pgsize) FROM dbstat WHERE name = 'ZELT_200_Atividade'", -1,
                                &pages, nullptr),
             SQLITE_OK);
    QCOMPARE(sqlite3_step(pages), SQLITE_ROW);
    const qint64 tableKb = sqlite3_column_int64(pages, 0) / 1024;
    sqlite3_finalize(pages);
    sqlite3_close(db);
    QVERIFY(tableKb > 10000);

    const ProgramRun run =
        runProgram(QStringLiteral("/usr/bin/time"),
                   {QStringLiteral("-f"), QStringLiteral("peak %M"), QStringLiteral(ZELT_BIN_DIR "/zelt-sql"),
                    access, QStringLiteral("SELECT * FROM ZELT_200_Atividade")},
                   {}, QProcessEnvironment::systemEnvironment(), 300000);
    QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.err.right(2000)));
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY(lines.size() > 100000);
    QVERIFY(lines.last().endsWith(QLatin1String(" rows")));
    QCOMPARE(lines.size() - 2, lines.last().section(QLatin1Char(' '), 0, 0).toInt());
    const qint64 peakKb = run.err.section(QLatin1String("peak "), -1).trimmed().toLongLong();
    QVERIFY(peakKb > 0);
    QVERIFY2(peakKb < 3 * tableKb,
             qPrintable(QStringLiteral("peak %1 kB, table %2 kB in SQLite").arg(peakKb).arg(tableKb)));
}

QTEST_GUILESS_MAIN(TestReadingScale)
#include "tst_readingscale.moc"
