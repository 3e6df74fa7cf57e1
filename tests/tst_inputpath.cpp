// The window driven through the application's own event delivery, as a person's mouse and keys
// reach it: events are given to the top-level window, which hands them to the widget under the
// pointer or in focus, so that a page changed by the first click receives what follows.
#include "app/DataGrid.h"
#include "app/DataLookupCombo.h"
#include "app/Dialogs.h"
#include "app/LinkLabel.h"
#include "app/uFrmMain.h"
#include "data/UDtmMain.h"
#include "windows/UFrmPopup.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

#include "TestPaths.h"
#include "support/TinyClassification.h"
#include "support/WindowDriver.h"

namespace
{

QPoint inWindow(QWidget *widget, const QPoint &local)
{
    return widget->mapTo(widget->window(), local);
}

// A double-click on the row's centre, given to the window as the mouse gives it.
void doubleClickRow(DataGrid *grid, int row)
{
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseDClick(grid->window()->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                       inWindow(grid->viewport(), cell.center()));
}

// Notches of the wheel with the pointer over `widget`, given to its window as the mouse gives
// them: the window hands the turn to the widget under the pointer and on up to its parents.
void turnWheel(QWidget *widget, const QPoint &local, int notches = -1)
{
    QWidget *window = widget->window();
    const QPointF at = widget->mapTo(window, QPointF(local));
    QWheelEvent wheel(at, window->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    QApplication::sendEvent(window->windowHandle(), &wheel);
}

void typeInto(QWindow *window, const QString &text)
{
    for (const QChar c : text)
        QTest::keyClick(window, c.toLatin1());
}

} // namespace

class TestInputPath : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void doubleClickActsAsOneClick();
    void doubleClickOnAResult();
    void wheelOverTheClosedEditionList();
    void keysOpenGridRowsAndLinks();
    void enterPressesFocusedButtons();
    void keysGoUpAndHome();
    void focusAfterEveryPageChange();
    void helpTextsNeverScrollApart();
    void resultWithMissingAncestorIsRefused();

private:
    std::unique_ptr<RunningWindow> startSample();
    std::unique_ptr<RunningWindow> startTiny();
    void activate(RunningWindow &r);

    dialogs::Recorder m_recorder;
    std::unique_ptr<DatabaseFolder> m_db;
    QTemporaryDir m_settings;
};

void TestInputPath::init()
{
    // Searches remembered by other tests would open their completions under the typed keys.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
    m_recorder = dialogs::Recorder();
    dialogs::installRecorder(&m_recorder);
    m_db = std::make_unique<DatabaseFolder>();
}

void TestInputPath::cleanup()
{
    dialogs::installRecorder(nullptr);
    m_db.reset();
}

std::unique_ptr<RunningWindow> TestInputPath::startSample()
{
    if (!m_db->copyFrom(QStringLiteral(ZELT_SAMPLE_DB)))
        return nullptr;
    auto r = startWindow(m_db->baseDirectory());
    activate(*r);
    return r;
}

std::unique_ptr<RunningWindow> TestInputPath::startTiny()
{
    if (!m_db->create(tiny::database()).isEmpty())
        return nullptr;
    auto r = startWindow(m_db->baseDirectory());
    activate(*r);
    return r;
}

void TestInputPath::activate(RunningWindow &r)
{
    r.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(r.window.get()));
}

// Whatever lies under the pointer on the page the first click opened, the second click of a
// double-click opens nothing: the page is the one a single click gives.
void TestInputPath::doubleClickActsAsOneClick()
{
    auto r = startSample();
    QVERIFY(r);
    browseDown(*r, {});
    DataGrid *sections = r->gridOfPage(1);
    for (int row = 0; row < 4 && row < sections->model()->rowCount(); ++row) {
        browseDown(*r, {});
        const QString code = columnTexts(sections, 0).at(row);
        doubleClickRow(sections, row);
        QCOMPARE(r->page(), 2);
        QCOMPARE(r->window->nav.CodSecao, code);
        // And on down: a division's double-click opens that division.
        DataGrid *divisions = r->gridOfPage(2);
        const QString division = columnTexts(divisions, 0).value(0);
        doubleClickRow(divisions, 0);
        QCOMPARE(r->page(), 3);
        QCOMPARE(r->window->nav.CodDivisao, division);
    }
    QVERIFY2(m_recorder.errors.isEmpty(), qPrintable(m_recorder.errors.join('\n')));
}

void TestInputPath::doubleClickOnAResult()
{
    auto r = startSample();
    QVERIFY(r);
    auto *box = r->find<QLineEdit>(QStringLiteral("EdtPesquisa"));
    auto *results = r->find<DataGrid>(QStringLiteral("DbgPesquisa"));
    for (int row = 0; row < 6; ++row) {
        QTest::keyClick(r->window->windowHandle(), Qt::Key_Home, Qt::AltModifier);
        box->setText(QStringLiteral("venda de carros"));
        QTest::mouseClick(r->find<QPushButton>(QStringLiteral("BtnPesquisa")), Qt::LeftButton);
        QCOMPARE(r->page(), 7);
        if (row >= results->model()->rowCount())
            break;
        const QString code = columnTexts(results, 0).at(row);
        doubleClickRow(results, row);
        QCOMPARE(r->page(), 5);
        QCOMPARE(r->text(QStringLiteral("LblCodClasse_TbsClasse")), code);
    }
    QVERIFY2(m_recorder.errors.isEmpty(), qPrintable(m_recorder.errors.join('\n')));
}

// A turn of the wheel over the closed list leaves the edition, and raises no warning; the arrow
// keys on the focused list still choose.
void TestInputPath::wheelOverTheClosedEditionList()
{
    auto r = startTiny();
    QVERIFY(r);
    auto *list = r->find<DataLookupCombo>(QStringLiteral("CmbClassificacao"));
    const QString before = r->window->nav.PrefixoTabela;
    for (int notches : {-1, -1, 1, -3})
        turnWheel(list, list->rect().center(), notches);
    QCOMPARE(list->currentText(), QStringLiteral("Alfa Teste"));
    QCOMPARE(r->window->nav.PrefixoTabela, before);

    list->setFocus();
    QTest::keyClick(r->window->windowHandle(), Qt::Key_Down);
    QCOMPARE(list->currentText(), QStringLiteral("Beta Defeituosa"));
    QCOMPARE(r->window->nav.PrefixoTabela, QStringLiteral("TST_2"));
    QVERIFY(m_recorder.warnings.isEmpty());
}

// Enter and Space open the current row of every grid, as a click does; the arrows only move it.
// Tab reaches the links, whose focus shows, and Enter or Space follows them.
void TestInputPath::keysOpenGridRowsAndLinks()
{
    auto r = startTiny();
    QVERIFY(r);
    QWindow *window = r->window->windowHandle();
    QTest::mouseClick(r->find<QPushButton>(QStringLiteral("BtnEstrutura")), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), r->gridOfPage(1));
    QTest::keyClick(window, Qt::Key_Down);
    QCOMPARE(r->page(), 1);
    QTest::keyClick(window, Qt::Key_Return);
    QCOMPARE(r->page(), 2);
    QCOMPARE(r->window->nav.CodSecao, QStringLiteral("B"));
    QTest::keyClick(window, Qt::Key_Down);
    QTest::keyClick(window, Qt::Key_Space);
    QCOMPARE(r->page(), 3);
    QCOMPARE(r->window->nav.CodDivisao, QStringLiteral("06"));
    QTest::keyClick(window, Qt::Key_Down);
    QTest::keyClick(window, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(r->page(), 4);
    QCOMPARE(r->window->nav.CodGrupo, QStringLiteral("062"));

    // Tab from the grid to the links of the page, in the order they stand.
    auto *link = r->find<LinkLabel>(QStringLiteral("LblCodSecao_TbsGrupo"));
    const QImage plain = link->grab().toImage();
    QStringList reached;
    for (int i = 0; i < 12 && QApplication::focusWidget() != link; ++i) {
        QTest::keyClick(window, Qt::Key_Tab);
        reached.append(QApplication::focusWidget()->objectName());
    }
    QVERIFY2(QApplication::focusWidget() == link, qPrintable(reached.join(' ')));
    QVERIFY2(link->grab().toImage() != plain, "the focused link looks as it did without the focus");
    QTest::keyClick(window, Qt::Key_Return);
    QCOMPARE(r->page(), 2);
    QCOMPARE(r->window->nav.CodSecao, QStringLiteral("B"));

    auto *notes = r->find<LinkLabel>(QStringLiteral("LblNotasExplicativas_TbsSecao"));
    for (int i = 0; i < 12 && QApplication::focusWidget() != notes; ++i)
        QTest::keyClick(window, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), notes);
    QTest::keyClick(window, Qt::Key_Space);
    QCOMPARE(m_recorder.modalCount, 1);
    QVERIFY2(m_recorder.errors.isEmpty(), qPrintable(m_recorder.errors.join('\n')));
}

void TestInputPath::enterPressesFocusedButtons()
{
    auto r = startTiny();
    QVERIFY(r);
    QWindow *window = r->window->windowHandle();
    auto *estrutura = r->find<QPushButton>(QStringLiteral("BtnEstrutura"));
    estrutura->setFocus(Qt::TabFocusReason);
    QTest::keyClick(window, Qt::Key_Return);
    QCOMPARE(r->page(), 1);

    QTest::keyClick(window, Qt::Key_Home, Qt::AltModifier);
    QCOMPARE(r->page(), 0);
    auto *pesquisa = r->find<QPushButton>(QStringLiteral("BtnPesquisa"));
    r->find<QLineEdit>(QStringLiteral("EdtPesquisa"))->setText(QStringLiteral("cogumelo"));
    pesquisa->setFocus(Qt::TabFocusReason);
    QTest::keyClick(window, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(r->page(), 7);
    QCOMPARE(r->window->nav.TextoPesquisa, QStringLiteral("cogumelo"));

    // Space keeps pressing, on its release as the button takes it.
    QTest::keyClick(window, Qt::Key_Home, Qt::AltModifier);
    estrutura->setFocus(Qt::TabFocusReason);
    QTest::keyClick(window, Qt::Key_Space);
    QCOMPARE(r->page(), 1);
}

// Backspace and Alt+Up go where the nearest upward link goes; Alt+Home goes home; in the
// search box Backspace only deletes.
void TestInputPath::keysGoUpAndHome()
{
    auto r = startTiny();
    QVERIFY(r);
    QWindow *window = r->window->windowHandle();
    auto *box = r->find<QLineEdit>(QStringLiteral("EdtPesquisa"));
    box->setFocus();
    typeInto(window, QStringLiteral("cobrex"));
    QTest::keyClick(window, Qt::Key_Backspace);
    QCOMPARE(box->text(), QStringLiteral("cobre"));
    QCOMPARE(r->page(), 0);

    browseDown(*r, {1, 1, 1, 1, 1});
    QCOMPARE(r->page(), 6);
    const QVector<int> upwards = {5, 4, 3, 2, 1};
    for (int i = 0; i < upwards.size(); ++i) {
        QTest::keyClick(window, i % 2 ? Qt::Key_Up : Qt::Key_Backspace,
                        i % 2 ? Qt::AltModifier : Qt::NoModifier);
        QCOMPARE(r->page(), upwards[i]);
    }
    QCOMPARE(columnTexts(r->gridOfPage(1), 0), QStringList({"A", "B"}));
    QTest::keyClick(window, Qt::Key_Backspace);
    QCOMPARE(r->page(), 1);
    QTest::keyClick(window, Qt::Key_Home, Qt::AltModifier);
    QCOMPARE(r->page(), 0);
    QCOMPARE(QApplication::focusWidget(), box);
    QCOMPARE(box->text(), QStringLiteral("cobre"));

    browseDown(*r, {1, 1});
    QTest::keyClick(window, Qt::Key_Home, Qt::AltModifier);
    QCOMPARE(r->page(), 0);
    QVERIFY2(m_recorder.errors.isEmpty(), qPrintable(m_recorder.errors.join('\n')));
}

// Every page entered, by keys down the tree, back up it and by a search, takes the focus on its
// first stop (its list, or on a subclass the link to its activities), so that the next key acts
// there at once; home gives it to the search box.
void TestInputPath::focusAfterEveryPageChange()
{
    auto r = startTiny();
    QVERIFY(r);
    QWindow *window = r->window->windowHandle();
    const auto focused = [] {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    };
    const QStringList stops = {"EdtPesquisa",
                               "DBGEstrutura",
                               "DbgSecao",
                               "DbgDivisao",
                               "DbgGrupo",
                               "DbgClasse",
                               "LblListarAtividades_TbsSubClasse"};
    QTest::mouseClick(r->find<QPushButton>(QStringLiteral("BtnEstrutura")), Qt::LeftButton);
    for (int page = 1; page <= 6; ++page) {
        QCOMPARE(r->page(), page);
        QCOMPARE(focused(), stops[page]);
        if (page < 6) {
            QTest::keyClick(window, Qt::Key_Down);
            QTest::keyClick(window, Qt::Key_Return);
        }
    }
    for (int page = 5; page >= 1; --page) {
        QTest::keyClick(window, Qt::Key_Backspace);
        QCOMPARE(r->page(), page);
        QCOMPARE(focused(), stops[page]);
    }
    QTest::keyClick(window, Qt::Key_Home, Qt::AltModifier);
    QCOMPARE(r->page(), 0);
    QCOMPARE(focused(), stops[0]);

    typeInto(window, QStringLiteral("cobre"));
    QTest::keyClick(window, Qt::Key_Return);
    QCOMPARE(r->page(), 7);
    QCOMPARE(focused(), QStringLiteral("DbgPesquisa"));
    // A result opened with Enter: its class page (this edition has no subclass results) takes the
    // focus as any other entry does.
    QTest::keyClick(window, Qt::Key_Return);
    QCOMPARE(r->page(), 5);
    QCOMPARE(focused(), stops[5]);
    QVERIFY2(m_recorder.errors.isEmpty(), qPrintable(m_recorder.errors.join('\n')));
}

// A wheel turn over an example of the advanced-search page scrolls the page, with every memo
// still beside its heading; nor does "Voltar..." bring back a memo scrolled apart.
void TestInputPath::helpTextsNeverScrollApart()
{
    auto r = startTiny();
    QVERIFY(r);
    m_recorder.onModal = [](QDialog &dialog) {
        QApplication::processEvents();
        const QList<QPlainTextEdit *> memos = dialog.findChildren<QPlainTextEdit *>();
        QVERIFY(!memos.isEmpty());
        auto *examples = dialog.findChild<QPlainTextEdit *>(QStringLiteral("Memo7"));
        QVERIFY(examples && examples->isVisible());
        auto *page = dialog.findChild<QScrollArea *>(QStringLiteral("ScrPesquisaAvancada"));
        QVERIFY(page);
        for (int turn = 0; turn < 3; ++turn)
            turnWheel(examples->viewport(), QPoint(10, 10));
        for (QPlainTextEdit *memo : memos)
            QVERIFY2(memo->verticalScrollBar()->value() == 0, qPrintable(memo->objectName()));
        QVERIFY2(page->verticalScrollBar()->value() > 0, "the wheel did not reach the page");
        // Nor can the keyboard reach a memo to scroll it.
        for (int i = 0; i < 12; ++i) {
            QTest::keyClick(dialog.windowHandle(), Qt::Key_Tab);
            QVERIFY(!qobject_cast<QPlainTextEdit *>(QApplication::focusWidget()));
        }
        for (QPlainTextEdit *memo : memos)
            QVERIFY2(memo->verticalScrollBar()->value() == 0, qPrintable(memo->objectName()));
    };
    clickLink(r->find<LinkLabel>(QStringLiteral("LblLinkCabecalho2")));
    QCOMPARE(m_recorder.modalCount, 1);
}

// Inconsistent data: a result whose class is missing from its group's list. The click is
// reported and refused; the results stay on show with their labels, and every later click opens
// the row clicked, never one of a list left over from the previous page.
void TestInputPath::resultWithMissingAncestorIsRefused()
{
    auto r = startTiny();
    QVERIFY(r);
    pickEdition(*r, QStringLiteral("Beta Defeituosa"));
    browseDown(*r, {1, 1, 1, 1});
    QCOMPARE(r->text(QStringLiteral("LblCodClasse_TbsClasse")), QStringLiteral("0820-2"));

    QTest::keyClick(r->window->windowHandle(), Qt::Key_Home, Qt::AltModifier);
    r->find<QLineEdit>(QStringLiteral("EdtPesquisa"))->setText(QStringLiteral("inexistente"));
    QTest::mouseClick(r->find<QPushButton>(QStringLiteral("BtnPesquisa")), Qt::LeftButton);
    auto *results = r->find<DataGrid>(QStringLiteral("DbgPesquisa"));
    const int missing = rowShowing(results, 0, QStringLiteral("0829-9"));
    const int present = rowShowing(results, 0, QStringLiteral("0820-2"));
    QVERIFY(missing >= 0 && present >= 0);

    clickRow(results, missing);
    QCOMPARE(m_recorder.errors.size(), 1);
    QVERIFY2(m_recorder.errors.first().contains(QLatin1String("08299")),
             qPrintable(m_recorder.errors.first()));
    QCOMPARE(r->page(), 7);
    QCOMPARE(r->text(QStringLiteral("LblItemPesquisado")), QStringLiteral("INEXISTENTE"));
    QCOMPARE(r->window->nav.VeioDaPesquisa, 1);
    QCOMPARE(results->currentIndex().row(), missing);

    clickRow(results, present);
    QCOMPARE(m_recorder.errors.size(), 1);
    QCOMPARE(r->page(), 5);
    QCOMPARE(r->text(QStringLiteral("LblCodClasse_TbsClasse")), QStringLiteral("0820-2"));
    QCOMPARE(r->text(QStringLiteral("LblCodGrupo_TbsClasse")), QStringLiteral("082"));
}

QTEST_MAIN(TestInputPath)
#include "tst_inputpath.moc"
