#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "TestPaths.h"

// The screenshot tour is a separate program: run it as a user would and look at what it leaves.
class TestTour : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void savesOnePicturePerStepAndBox();
    void refusesBadArguments_data();
    void refusesBadArguments();
};

void TestTour::savesOnePicturePerStepAndBox()
{
    QTemporaryDir out;
    QProcess tour;
    tour.start(QStringLiteral(ZELT_BIN_DIR "/zelt-tour"), {QStringLiteral(ZELT_SAMPLE_DB), out.path()});
    QVERIFY(tour.waitForFinished(120000));
    QCOMPARE(tour.exitStatus(), QProcess::NormalExit);
    QVERIFY2(tour.exitCode() == 0, tour.readAllStandardError().constData());

    const QImage home(out.filePath(QStringLiteral("00-inicio.png")));
    QCOMPARE(home.size(), QSize(804, 585));
    // The sample's frozen edition raises the warning, drawn as its own picture.
    QVERIFY(QFile::exists(out.filePath(QStringLiteral("01-edicao-congelada-aviso1.png"))));
    const QStringList pictures = QDir(out.path()).entryList({QStringLiteral("*.png")});
    QVERIFY(pictures.size() >= 6);
    // The sample was copied, never opened in place: the one error box drawn is that of the step
    // that starts a window without its database.
    const QStringList errors = pictures.filter(QStringLiteral("-erro"));
    QVERIFY2(errors.size() == 1 && errors.first().contains(QLatin1String("falha-ao-iniciar")),
             qPrintable(errors.join(' ')));
}

void TestTour::refusesBadArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("none") << QStringList() << 2;
    QTest::newRow("missing database")
        << QStringList({QStringLiteral("/nonexistent/ZELT.mdb"), QStringLiteral("OUT")}) << 1;
    QTest::newRow("size below the design")
        << QStringList({QStringLiteral("--size"), QStringLiteral("800x600"), QStringLiteral(ZELT_SAMPLE_DB),
                        QStringLiteral("OUT")})
        << 2;
}

void TestTour::refusesBadArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QTemporaryDir work;
    QProcess tour;
    tour.setWorkingDirectory(work.path());
    tour.start(QStringLiteral(ZELT_BIN_DIR "/zelt-tour"), arguments);
    QVERIFY(tour.waitForFinished(60000));
    QCOMPARE(tour.exitCode(), exitCode);
    QVERIFY(!tour.readAllStandardError().isEmpty());
}

QTEST_GUILESS_MAIN(TestTour)
#include "tst_tour.moc"
