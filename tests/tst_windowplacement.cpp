// The main window as a window manager handles it: maximised, restored and maximised again by the
// window manager's own title-bar double-click, resized by a border drag, and put back where the
// last run left it. Skipped, with the reason, where Xvfb is not installed.
#include "app/Application.h"
#include "app/Dialogs.h"
#include "app/ProgramSettings.h"
#include "app/uFrmMain.h"
#include "data/UDtmMain.h"

#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "support/TinyClassification.h"
#include "support/WindowDriver.h"
#include "support/XServer.h"

namespace
{

const QSize kDesigned(804, 585);

// The pointer, as a person moves it, through xdotool: the window manager sees real events.
bool pointer(const QStringList &arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

// The middle of the title bar the window manager draws above the window.
QPoint titleBar(const QWidget *window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return {frame.center().x(), (frame.top() + client.top()) / 2};
}

bool doubleClick(const QPoint &at)
{
    return pointer({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                    QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                    QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
}

bool maximised(const QWidget *window)
{
    return window->windowState() & Qt::WindowMaximized;
}

} // namespace

class TestWindowPlacement : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void maximiseRestoreMaximiseByTheWindowManager();
    void placeRememberedAfterRestart();
    void placeOffTheScreenComesBack();

private:
    std::unique_ptr<RunningWindow> startPlaced();

    std::unique_ptr<DatabaseFolder> m_db;
    std::unique_ptr<QTemporaryDir> m_settings;
};

void TestWindowPlacement::init()
{
    m_settings = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings->path());
    ZELT_SKIP_WITHOUT_X();
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QFAIL("xdotool is not installed (tools/dev.sh installs it)");
    nameApplication();
    m_db = std::make_unique<DatabaseFolder>();
    QCOMPARE(m_db->create(tiny::database()), QString());
}

void TestWindowPlacement::cleanup()
{
    dialogs::installRecorder(nullptr);
    m_db.reset();
}

// The window as the program starts it, once the window manager has mapped and activated it.
std::unique_ptr<RunningWindow> TestWindowPlacement::startPlaced()
{
    auto r = std::make_unique<RunningWindow>();
    r->window = std::make_unique<TFrmMain>(r->dtm, m_db->baseDirectory());
    r->window->showPlaced();
    r->window->activateWindow();
    if (!QTest::qWaitForWindowExposed(r->window.get(), 20000)) {
        qWarning("the window was not shown");
        return nullptr;
    }
    return r;
}

// Restored from maximised, the window keeps only a least size: the window manager still offers
// maximise and resize, and a second double-click maximises it again.
void TestWindowPlacement::maximiseRestoreMaximiseByTheWindowManager()
{
    auto r = startPlaced();
    QVERIFY(r);
    TFrmMain *window = r->window.get();
    QTRY_VERIFY_WITH_TIMEOUT(maximised(window), 10000);
    QTRY_VERIFY(window->width() > kDesigned.width());
    const QSize full = window->size();

    QVERIFY(doubleClick(titleBar(window)));
    QTRY_VERIFY_WITH_TIMEOUT(!maximised(window), 10000);
    QTRY_VERIFY(window->width() < full.width());
    const QString hints = XServer::property(window->winId(), QStringLiteral("WM_NORMAL_HINTS"));
    QVERIFY2(!hints.contains(QLatin1String("maximum size")), qPrintable(hints));
    QVERIFY2(hints.contains(QLatin1String("minimum size: 804 by 585")), qPrintable(hints));
    const QString actions = XServer::property(window->winId(), QStringLiteral("_NET_WM_ALLOWED_ACTIONS"));
    QVERIFY2(actions.contains(QLatin1String("_NET_WM_ACTION_MAXIMIZE_HORZ")) &&
                 actions.contains(QLatin1String("_NET_WM_ACTION_RESIZE")),
             qPrintable(actions));

    QVERIFY(doubleClick(titleBar(window)));
    QTRY_VERIFY_WITH_TIMEOUT(maximised(window), 10000);
    QTRY_COMPARE(window->size(), full);

    // Restored again, a drag of the bottom-right corner enlarges it; the pages follow.
    QVERIFY(doubleClick(titleBar(window)));
    QTRY_VERIFY_WITH_TIMEOUT(!maximised(window), 10000);
    QTest::qWait(200);
    const QSize before = window->size();
    const QPoint corner = window->frameGeometry().bottomRight() - QPoint(1, 1);
    QVERIFY(pointer({QStringLiteral("mousemove"), QString::number(corner.x()),
                     QString::number(corner.y()), QStringLiteral("mousedown"),
                     QStringLiteral("1"),         QStringLiteral("sleep"),
                     QStringLiteral("0.2"),       QStringLiteral("mousemove_relative"),
                     QStringLiteral("--"),        QStringLiteral("60"),
                     QStringLiteral("40"),        QStringLiteral("sleep"),
                     QStringLiteral("0.2"),       QStringLiteral("mousemove_relative"),
                     QStringLiteral("--"),        QStringLiteral("60"),
                     QStringLiteral("40"),        QStringLiteral("sleep"),
                     QStringLiteral("0.2"),       QStringLiteral("mouseup"),
                     QStringLiteral("1")}));
    QTRY_COMPARE_WITH_TIMEOUT(window->size(), before + QSize(120, 80), 10000);
}

// Size, place and maximised state come back in the next run, from the settings.
void TestWindowPlacement::placeRememberedAfterRestart()
{
    QRect normal;
    {
        auto r = startPlaced();
        QVERIFY(r);
        TFrmMain *window = r->window.get();
        QTRY_VERIFY_WITH_TIMEOUT(maximised(window), 10000);
        window->showNormal();
        QTRY_VERIFY(!maximised(window));
        window->setGeometry(QRect(QPoint(120, 90), QSize(900, 640)));
        QTRY_COMPARE(window->size(), QSize(900, 640));
        QTest::qWait(200);
        normal = window->geometry();
        QVERIFY(window->close());
    }
    QVERIFY(!ProgramSettings().mainWindowGeometry().isEmpty());
    {
        auto r = startPlaced();
        QVERIFY(r);
        TFrmMain *window = r->window.get();
        QTest::qWait(300);
        QVERIFY(!maximised(window));
        QTRY_COMPARE(window->geometry(), normal);
        window->showMaximized();
        QTRY_VERIFY_WITH_TIMEOUT(maximised(window), 10000);
        QTest::qWait(200);
        QVERIFY(window->close());
    }
    {
        auto r = startPlaced();
        QVERIFY(r);
        TFrmMain *window = r->window.get();
        QTRY_VERIFY_WITH_TIMEOUT(maximised(window), 10000);
        // Restored, it takes the size it had before it was maximised.
        window->showNormal();
        QTRY_VERIFY(!maximised(window));
        QTRY_COMPARE(window->size(), normal.size());
    }
}

// A place saved on a larger screen, or one no longer there, is brought onto this one.
// (Saved from a window never shown, it has no frame: only the window's own area is checked.)
void TestWindowPlacement::placeOffTheScreenComesBack()
{
    {
        TDtmMain dtm;
        TFrmMain away(dtm, m_db->baseDirectory());
        away.setGeometry(QRect(QPoint(3000, 2500), QSize(1000, 700)));
        ProgramSettings().setMainWindowGeometry(away.saveGeometry());
    }
    auto r = startPlaced();
    QVERIFY(r);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QTest::qWait(300);
    QTRY_VERIFY2(screen.contains(r->window->geometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                        .arg(r->window->x())
                                                                        .arg(r->window->y())
                                                                        .arg(r->window->width())
                                                                        .arg(r->window->height())));
}

ZELT_X11_TEST_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"
