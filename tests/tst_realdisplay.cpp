// What only a real X server with a window manager shows: the focus of an active window, window
// titles as the window manager reads them, and a whole session with the keyboard alone. Skipped, with the
// reason, where Xvfb is not installed.
#include "app/Application.h"
#include "app/DataGrid.h"
#include "app/Dialogs.h"
#include "app/LinkLabel.h"
#include "app/uFrmMain.h"
#include "data/UDtmMain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

#include "support/TinyClassification.h"
#include "support/WindowDriver.h"
#include "support/XServer.h"

namespace
{

QString title(QWidget *window)
{
    return XServer::property(window->winId(), QStringLiteral("_NET_WM_NAME"));
}

// Runs `inspect` on the next modal window once the window manager shows it, then closes it with
// `close` (which must end its modal loop).
void inNextModal(const std::function<void(QWidget &)> &inspect, const std::function<void(QWidget &)> &close)
{
    auto poll = std::make_shared<QTimer>();
    poll->setInterval(20);
    QObject::connect(poll.get(), &QTimer::timeout, [=] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        poll->stop();
        if (!QTest::qWaitForWindowExposed(modal))
            qWarning("the modal window was not exposed");
        inspect(*modal);
        close(*modal);
    });
    poll->start();
}

// Types as a person would, the completion list that the keys open shown before the next key: the
// list takes the keyboard from the window system, and a grab announced only after the list closed
// would hand the window's focus back to the next widget in the chain instead of the page's list.
void typeInto(QWindow *window, const QString &text)
{
    for (const QChar c : text)
        QTest::keyClick(window, c.toLatin1());
    if (QWidget *list = QApplication::activePopupWidget())
        if (!QTest::qWaitFor([list] { return QGuiApplication::focusWindow() == list->windowHandle(); }, 2000))
            qWarning("the completion list did not take the keyboard");
}

} // namespace

class TestRealDisplay : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void focusStartsInTheSearchBox();
    void titlesAsGiven();
    void keyboardOnlySession();

private:
    std::unique_ptr<RunningWindow> startMaximised(const QStringList &extra = {});

    std::unique_ptr<DatabaseFolder> m_db;
    QTemporaryDir m_settings;
};

void TestRealDisplay::init()
{
    // Searches remembered by other tests would open their completions under the typed keys.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
    ZELT_SKIP_WITHOUT_X();
    nameApplication();
    m_db = std::make_unique<DatabaseFolder>();
}

void TestRealDisplay::cleanup()
{
    dialogs::installRecorder(nullptr);
    m_db.reset();
}

// The window as the program shows it: maximised, then active once the window manager maps it.
std::unique_ptr<RunningWindow> TestRealDisplay::startMaximised(const QStringList &extra)
{
    const QString error = m_db->create(tiny::database() + extra);
    if (!error.isEmpty()) {
        qWarning("%s", qPrintable(error));
        return nullptr;
    }
    auto r = std::make_unique<RunningWindow>();
    r->window = std::make_unique<TFrmMain>(r->dtm, m_db->baseDirectory());
    r->window->showMaximized();
    // A machine busy with other builds may take its time to map and activate the window.
    r->window->activateWindow();
    if (!QTest::qWaitForWindowActive(r->window.get(), 20000)) {
        qWarning("the window did not become active");
        return nullptr;
    }
    return r;
}

// Typing goes to the search box at start, and again after every way home.
void TestRealDisplay::focusStartsInTheSearchBox()
{
    dialogs::Recorder recorder;
    dialogs::installRecorder(&recorder);
    auto r = startMaximised();
    QVERIFY(r);
    QWindow *window = r->window->windowHandle();
    auto *box = r->find<QLineEdit>(QStringLiteral("EdtPesquisa"));
    QCOMPARE(QApplication::focusWidget(), box);
    typeInto(window, QStringLiteral("cobre"));
    QCOMPARE(box->text(), QStringLiteral("cobre"));

    QTest::keyClick(window, Qt::Key_Return);
    QCOMPARE(r->page(), 7);
    clickLink(r->find<LinkLabel>(QStringLiteral("LblLinkCabecalho2"))); // "Nova Pesquisa..."
    QCOMPARE(r->page(), 0);
    QCOMPARE(QApplication::focusWidget(), box);

    QTest::mouseClick(r->find<QPushButton>(QStringLiteral("BtnEstrutura")), Qt::LeftButton);
    clickLink(r->find<LinkLabel>(QStringLiteral("LblLinkNovaPesquisa")));
    QCOMPARE(r->page(), 0);
    typeInto(window, QStringLiteral("azul"));
    QCOMPARE(box->text(), QStringLiteral("azul"));
    QVERIFY(recorder.errors.isEmpty());
}

// The window manager reads each title exactly as given, the program's name added to none; the
// warning box has no icon and one OK button.
void TestRealDisplay::titlesAsGiven()
{
    auto r =
        startMaximised({QStringLiteral("UPDATE ZELT_Classificacao SET Status = 1 WHERE Tabela = 'TST_2'")});
    QVERIFY(r);
    QCOMPARE(title(r->window.get()),
             QStringLiteral("ZELTWeb - ZELT.mdb (%1/Database)").arg(m_db->baseDirectory()));

    QString seen;
    const auto closeWindow = [](QWidget &modal) { modal.close(); };
    inNextModal(
        [&](QWidget &modal) {
            seen = title(&modal);
            auto *box = qobject_cast<QMessageBox *>(&modal);
            QVERIFY(box);
            QCOMPARE(box->icon(), QMessageBox::NoIcon);
            QCOMPARE(box->text(), QStringLiteral("Esta Classificação está Congelada!"));
            QCOMPARE(box->buttons().size(), 1);
            QCOMPARE(box->standardButton(box->buttons().first()), QMessageBox::Ok);
        },
        [](QWidget &modal) {
            QTest::mouseClick(qobject_cast<QMessageBox *>(&modal)->buttons().first(), Qt::LeftButton);
        });
    pickEdition(*r, QStringLiteral("Beta Defeituosa"));
    QCOMPARE(seen, QStringLiteral("Aviso"));
    pickEdition(*r, QStringLiteral("Alfa Teste"));

    seen.clear();
    inNextModal([&](QWidget &modal) { seen = title(&modal); }, closeWindow);
    clickLink(r->find<LinkLabel>(QStringLiteral("LblLicenca")));
    QCOMPARE(seen, QStringLiteral("Licença"));

    browseDown(*r, {1, 1, 1, 1});
    QCOMPARE(r->page(), 5);
    seen.clear();
    inNextModal([&](QWidget &modal) { seen = title(&modal); }, closeWindow);
    clickLink(r->find<LinkLabel>(QStringLiteral("LblNotasExplicativas_TbsClasse")));
    QCOMPARE(seen, QStringLiteral("Notas Explicativas - Classe"));

    // The error dialog keeps the program's name, alone.
    QTest::keyClick(r->window->windowHandle(), Qt::Key_Home, Qt::AltModifier);
    pickEdition(*r, QStringLiteral("Zeta Inexistente"));
    seen.clear();
    inNextModal([&](QWidget &modal) { seen = title(&modal); }, closeWindow);
    QTest::mouseClick(r->find<QPushButton>(QStringLiteral("BtnEstrutura")), Qt::LeftButton);
    QCOMPARE(seen, QStringLiteral("ZELTWeb"));
}

// Type a search, Enter; down to a result and Enter; up to its section; home.
void TestRealDisplay::keyboardOnlySession()
{
    dialogs::Recorder recorder;
    dialogs::installRecorder(&recorder);
    auto r = startMaximised();
    QVERIFY(r);
    QWindow *window = r->window->windowHandle();
    typeInto(window, QStringLiteral("cobre"));
    QTest::keyClick(window, Qt::Key_Return);
    QCOMPARE(r->page(), 7);
    QCOMPARE(r->text(QStringLiteral("LblNumeroRegistros")), QStringLiteral("2"));

    QTest::keyClick(window, Qt::Key_Down);
    QTest::keyClick(window, Qt::Key_Return);
    QCOMPARE(r->page(), 5);
    QCOMPARE(r->text(QStringLiteral("LblCodClasse_TbsClasse")), QStringLiteral("0620-2"));

    for (const int page : {4, 3, 2}) {
        QTest::keyClick(window, Qt::Key_Backspace);
        QCOMPARE(r->page(), page);
    }
    QCOMPARE(r->text(QStringLiteral("LblCodSecao_TbsSecao")), QStringLiteral("B"));

    QTest::keyClick(window, Qt::Key_Home, Qt::AltModifier);
    QCOMPARE(r->page(), 0);
    typeInto(window, QStringLiteral("azul"));
    QCOMPARE(r->find<QLineEdit>(QStringLiteral("EdtPesquisa"))->text(), QStringLiteral("azul"));
    QVERIFY2(recorder.errors.isEmpty(), qPrintable(recorder.errors.join('\n')));
}

ZELT_X11_TEST_MAIN(TestRealDisplay)
#include "tst_realdisplay.moc"
