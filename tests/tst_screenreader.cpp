// The program as a screen reader reads it on a real X server: started with the accessibility
// bridge on a private session bus, driven through AT-SPI by tests/support/screen-reader-session.py
// (python3-pyatspi), which finds the search box by its name, searches, reads and hears the count,
// opens a result and presses a link through its action.
#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "TestPaths.h"
#include "support/TinyClassification.h"
#include "support/WindowDriver.h"
#include "support/XServer.h"

class TestScreenReader : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sessionThroughAtSpi();
};

void TestScreenReader::sessionThroughAtSpi()
{
    ZELT_SKIP_WITHOUT_X();
    for (const char *tool : {"dbus-daemon", "python3"})
        QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty(), tool);
    QVERIFY2(QFile::exists(QStringLiteral("/usr/libexec/at-spi-bus-launcher")),
             "at-spi2-core is not installed");

    DatabaseFolder db;
    QCOMPARE(db.create(tiny::database()), QString());
    QTemporaryDir home;
    QVERIFY(home.isValid());
    QDir(home.path()).mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(home.filePath(QStringLiteral("runtime")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // A session bus of the test's own; the accessibility bus starts on it when first asked for.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("runtime")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("HOME"), home.path());
    QProcess bus;
    bus.setProcessEnvironment(environment);
    bus.start(QStringLiteral("dbus-daemon"),
              {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    QVERIFY2(bus.waitForStarted(10000), "dbus-daemon did not start");
    QTRY_VERIFY_WITH_TIMEOUT(bus.canReadLine(), 10000);
    const QString address = QString::fromLocal8Bit(bus.readLine()).trimmed();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("NO_AT_BRIDGE"));

    // Debian's python3, which python3-pyatspi serves, whatever python3 comes first on the path.
    const QString python = QFile::exists(QStringLiteral("/usr/bin/python3"))
                               ? QStringLiteral("/usr/bin/python3")
                               : QStringLiteral("python3");
    QProcess session;
    session.setProcessEnvironment(environment);
    session.setProcessChannelMode(QProcess::MergedChannels);
    session.start(python,
                  {QStringLiteral(ZELT_TEST_SCRIPTS_DIR "/screen-reader-session.py"),
                   QStringLiteral(ZELT_BIN_DIR "/ZELT"), QStringLiteral("--database"), db.databasePath()});
    QVERIFY(session.waitForStarted(10000));
    const bool finished = session.waitForFinished(240000);
    const QString output = QString::fromLocal8Bit(session.readAll());
    if (!finished)
        session.kill();
    bus.terminate();
    bus.waitForFinished(5000);
    qInfo("%s", qPrintable(output));
    QVERIFY2(finished, "the session did not end");
    QVERIFY2(session.exitCode() == 0 && output.contains(QStringLiteral("PASS")), qPrintable(output));
}

ZELT_X11_TEST_MAIN(TestScreenReader)
#include "tst_screenreader.moc"
