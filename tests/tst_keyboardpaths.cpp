// No dead ends for the keyboard and no lost clicks: the notes popup, the explanation tooltip, F1,
// the home page's Tab order, Enter on the sort choice, the completion list and a click, the wheel
// over the edition list, the read-only boxes' focus, a double-click's second press. Every key and
// click goes through the application's own delivery, as a person's do.
#include "app/DataGrid.h"
#include "app/DataLookupCombo.h"
#include "app/DataMemo.h"
#include "app/Dialogs.h"
#include "app/LinkLabel.h"
#include "app/uFrmMain.h"
#include "data/UDtmMain.h"
#include "search/SearchExpression.h"
#include "windows/UTESTE.h"

#include <QApplication>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
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

void typeInto(QWindow *window, const QString &text)
{
    for (const QChar c : text)
        QTest::keyClick(window, c.toLatin1());
}

QString focusName()
{
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QStringLiteral("<none>");
}

} // namespace

class TestKeyboardPaths : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void notesPopupStartsInItsFirstNote();
    void explanationGoesWithTheRow();
    void f1OpensTheHelpThatFits();
    void homePageTabFollowsTheReading();
    void enterOnTheSortChoiceSearches();
    void clickOnSearchWithTheCompletionsOpen();
    void downOnTheKeptSearchOffersThemAll();
    void wheelOverTheEditionListKeepsTheFocus();
    void readOnlyBoxShowsItsFocus();
    void secondPressOfADoubleClickChangesNothing();
    void overLongSearchKeepsTextAndPage();

private:
    std::unique_ptr<RunningWindow> start(bool sample = false);

    dialogs::Recorder m_recorder;
    std::unique_ptr<DatabaseFolder> m_db;
    QTemporaryDir m_settings;
};

void TestKeyboardPaths::init()
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
    m_recorder = dialogs::Recorder();
    dialogs::installRecorder(&m_recorder);
    m_db = std::make_unique<DatabaseFolder>();
}

void TestKeyboardPaths::cleanup()
{
    dialogs::installRecorder(nullptr);
    QToolTip::hideText();
    m_db.reset();
}

std::unique_ptr<RunningWindow> TestKeyboardPaths::start(bool sample)
{
    if (sample ? !m_db->copyFrom(QStringLiteral(ZELT_SAMPLE_DB)) : !m_db->create(tiny::database()).isEmpty())
        return nullptr;
    auto r = startWindow(m_db->baseDirectory());
    r->window->activateWindow();
    if (!QTest::qWaitForWindowActive(r->window.get()))
        return nullptr;
    return r;
}

// The popup opens with the keyboard in its first note: the page keys scroll it, Ctrl+A selects it
// and Tab goes on to the next note.
void TestKeyboardPaths::notesPopupStartsInItsFirstNote()
{
    QString longNote;
    for (int i = 1; i <= 120; ++i)
        longNote += QStringLiteral("Frase %1 de uma nota comprida. ").arg(i);
    QStringList reached;
    int scrolled = -1;
    QString selected;
    m_recorder.onModal = [&](QDialog &popup) {
        popup.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&popup));
        reached.append(focusName());
        auto *box = popup.findChild<QScrollArea *>(QStringLiteral("ScrCompreende"));
        QTest::keyClick(popup.windowHandle(), Qt::Key_PageDown);
        QTest::keyClick(popup.windowHandle(), Qt::Key_Down);
        scrolled = box->verticalScrollBar()->value();
        QTest::keyClick(popup.windowHandle(), Qt::Key_A, Qt::ControlModifier);
        selected = popup.findChild<QLabel *>(QStringLiteral("LblCompreende_Texto"))->selectedText();
        QTest::keyClick(popup.windowHandle(), Qt::Key_Tab);
        reached.append(focusName());
        QTest::keyClick(popup.windowHandle(), Qt::Key_Tab);
        reached.append(focusName());
    };
    TFrmPopupNota popup;
    popup.MostraNotas(QString(), longNote, QString(), QStringLiteral("curta"), QStringLiteral("outra"), 4);
    QCOMPARE(reached, QStringList({"LblCompreende_Texto", "LblNaoCompreende_Texto", "LblNotas_Texto"}));
    QVERIFY2(scrolled > 0, qPrintable(QString::number(scrolled)));
    QCOMPARE(selected, longNote);
}

// Ctrl+I explains the current result; Escape, a key that moves the row, or time hides it.
void TestKeyboardPaths::explanationGoesWithTheRow()
{
    auto r = start();
    QVERIFY(r);
    QWindow *window = r->window->windowHandle();
    typeInto(window, QStringLiteral("cobre"));
    QTest::keyClick(window, Qt::Key_Return);
    QCOMPARE(r->page(), 7);
    QCOMPARE(focusName(), QStringLiteral("DbgPesquisa"));

    QTest::keyClick(window, Qt::Key_I, Qt::ControlModifier);
    QVERIFY(QToolTip::isVisible());
    // A lone Shift or Ctrl, as on the way to a chord, leaves it up.
    QTest::keyClick(window, Qt::Key_Shift);
    QTest::keyClick(window, Qt::Key_Control);
    QTest::qWait(600); // a hidden tip goes after 300 ms
    QVERIFY(QToolTip::isVisible());
    QTest::keyClick(window, Qt::Key_Down);
    QTRY_VERIFY(!QToolTip::isVisible());

    QTest::keyClick(window, Qt::Key_I, Qt::ControlModifier);
    QVERIFY(QToolTip::isVisible());
    QTest::keyClick(window, Qt::Key_Escape);
    QTRY_VERIFY(!QToolTip::isVisible());
    QCOMPARE(r->page(), 7); // the Escape went to the tip, not to the page

    QTest::keyClick(window, Qt::Key_I, Qt::ControlModifier);
    QVERIFY(QToolTip::isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible(), 15000);
}

// F1: the search help on the home and results pages, the item's notes on a level page.
void TestKeyboardPaths::f1OpensTheHelpThatFits()
{
    auto r = start();
    QVERIFY(r);
    QWindow *window = r->window->windowHandle();
    // The window the recorder shows takes the activation; give it back, as closing it would.
    const auto pressF1 = [&] {
        QTest::keyClick(window, Qt::Key_F1);
        r->window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(r->window.get()));
    };
    QStringList opened;
    m_recorder.onModal = [&](QDialog &dialog) {
        const auto *pages = dialog.findChild<QStackedWidget *>(QStringLiteral("PgcPrincipal"));
        opened.append(dialog.windowTitle() +
                      (pages ? QLatin1Char(' ') + pages->currentWidget()->objectName() : QString()));
    };
    pressF1();
    typeInto(window, QStringLiteral("cobre"));
    QTest::keyClick(window, Qt::Key_Return);
    pressF1();
    QTest::keyClick(window, Qt::Key_Return); // the first result's class
    QCOMPARE(r->page(), 5);
    pressF1();
    QCOMPARE(opened, QStringList({"Sobre a Pesquisa TbsSobrePesquisa", "Sobre a Pesquisa TbsSobrePesquisa",
                                  "Notas Explicativas - Classe"}));
}

// Tab and Shift+Tab follow the home page as it reads; the edition list comes second.
void TestKeyboardPaths::homePageTabFollowsTheReading()
{
    auto r = start();
    QVERIFY(r);
    QWindow *window = r->window->windowHandle();
    QCOMPARE(focusName(), QStringLiteral("EdtPesquisa"));
    QStringList reached;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(window, Qt::Key_Tab);
        reached.append(focusName());
    }
    QCOMPARE(reached,
             QStringList({"CmbClassificacao", "BtnPesquisa", "BtnEstrutura", "RdbCodigo", "LblLicenca"}));
    QTest::keyClick(window, Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(focusName(), QStringLiteral("RdbCodigo"));
}

// Enter on either sort choice runs the search, as Enter in the box does.
void TestKeyboardPaths::enterOnTheSortChoiceSearches()
{
    auto r = start();
    QVERIFY(r);
    QWindow *window = r->window->windowHandle();
    typeInto(window, QStringLiteral("cobre"));
    for (const char *choice : {"RdbAlfabetica", "RdbCodigo"}) {
        QTest::keyClick(window, Qt::Key_Home, Qt::AltModifier);
        QCOMPARE(r->page(), 0);
        r->find<QRadioButton>(QLatin1String(choice))->setFocus(Qt::TabFocusReason);
        QTest::keyClick(window, Qt::Key_Return);
        QCOMPARE(r->page(), 7);
        QCOMPARE(r->text(QStringLiteral("LblNumeroRegistros")), QStringLiteral("2"));
    }
}

// With the recent searches listed under the box, a click on "Pesquisa" closes the list and searches.
void TestKeyboardPaths::clickOnSearchWithTheCompletionsOpen()
{
    auto r = start();
    QVERIFY(r);
    QWindow *window = r->window->windowHandle();
    typeInto(window, QStringLiteral("cobre"));
    QTest::keyClick(window, Qt::Key_Return);
    QTest::keyClick(window, Qt::Key_Home, Qt::AltModifier);
    auto *box = r->find<QLineEdit>(QStringLiteral("EdtPesquisa"));
    box->clear();
    QTest::keyClick(window, Qt::Key_Down);
    QCompleter *completer = box->completer();
    QVERIFY(completer);
    QTRY_VERIFY(completer->popup()->isVisible());
    // In the window's own font, as the tooltips.
    QCOMPARE(QFontInfo(completer->popup()->font()).pixelSize(), QFontInfo(r->window->font()).pixelSize());
    QCOMPARE(QToolTip::font(), r->window->font());
    box->setText(QStringLiteral("lata"));
    auto *button = r->find<QPushButton>(QStringLiteral("BtnPesquisa"));
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, inWindow(button, button->rect().center()));
    QTRY_VERIFY(!completer->popup()->isVisible());
    QCOMPARE(r->page(), 7);
    QCOMPARE(r->text(QStringLiteral("LblItemPesquisado")), QStringLiteral("LATA"));
}

// Home again, the last search stands selected in the box: Down offers every recent search, not
// only those containing it; a text typed by hand still narrows the list.
void TestKeyboardPaths::downOnTheKeptSearchOffersThemAll()
{
    auto r = start();
    QVERIFY(r);
    QWindow *window = r->window->windowHandle();
    auto *box = r->find<QLineEdit>(QStringLiteral("EdtPesquisa"));
    for (const char *text : {"cobre", "lata"}) {
        typeInto(window, QLatin1String(text));
        QTest::keyClick(window, Qt::Key_Return);
        QCOMPARE(r->page(), 7);
        QTest::keyClick(window, Qt::Key_Home, Qt::AltModifier);
        QCOMPARE(box->selectedText(), QLatin1String(text));
    }
    QCompleter *completer = box->completer();
    QVERIFY(completer);
    QTest::keyClick(window, Qt::Key_Down);
    QTRY_VERIFY(completer->popup()->isVisible());
    QCOMPARE(completer->completionCount(), 2);
    completer->popup()->hide();

    box->setText(QStringLiteral("lat"));
    QTest::keyClick(window, Qt::Key_Down);
    QTRY_VERIFY(completer->popup()->isVisible());
    QCOMPARE(completer->completionCount(), 1);
    QCOMPARE(completer->currentCompletion(), QStringLiteral("lata"));
}

// A wheel turn over the closed edition list neither takes the focus nor changes the edition.
void TestKeyboardPaths::wheelOverTheEditionListKeepsTheFocus()
{
    auto r = start();
    QVERIFY(r);
    auto *list = r->find<DataLookupCombo>(QStringLiteral("CmbClassificacao"));
    QCOMPARE(focusName(), QStringLiteral("EdtPesquisa"));
    const QPointF at = list->mapTo(r->window.get(), QPointF(list->rect().center()));
    QWheelEvent wheel(at, r->window->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    QApplication::sendEvent(r->window->windowHandle(), &wheel);
    QApplication::processEvents();
    QCOMPARE(focusName(), QStringLiteral("EdtPesquisa"));
    QCOMPARE(list->currentText(), QStringLiteral("Alfa Teste"));
}

// Reached by Tab, the description box of the results shows that it has the focus.
void TestKeyboardPaths::readOnlyBoxShowsItsFocus()
{
    auto r = start();
    QVERIFY(r);
    QWindow *window = r->window->windowHandle();
    typeInto(window, QStringLiteral("cobre"));
    QTest::keyClick(window, Qt::Key_Return);
    auto *memo = r->find<DataMemo>(QStringLiteral("MemTbsPesquisa"));
    const QImage plain = memo->grab().toImage();
    for (int i = 0; i < 12 && QApplication::focusWidget() != memo; ++i)
        QTest::keyClick(window, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), memo);
    QVERIFY2(memo->grab().toImage() != plain, "the focused box looks as it did without the focus");
    // Its text is the keyboard's too: selected and copied without the mouse.
    QTest::keyClick(window, Qt::Key_A, Qt::ControlModifier);
    QVERIFY(!memo->textCursor().selectedText().isEmpty());
}

// The second press of a double-click on a structure row lands on the section page the first
// opened: there it changes nothing, not even the current row of the divisions.
void TestKeyboardPaths::secondPressOfADoubleClickChangesNothing()
{
    auto r = start(true);
    QVERIFY(r);
    browseDown(*r, {});
    DataGrid *sections = r->gridOfPage(1);
    QVERIFY(sections->model()->rowCount() > 3);
    const QRect cell = sections->visualRect(sections->model()->index(3, 0));
    QTest::mouseDClick(r->window->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                       inWindow(sections->viewport(), cell.center()));
    QCOMPARE(r->page(), 2);
    DataGrid *divisions = r->gridOfPage(2);
    QVERIFY(divisions->model()->rowCount() > 0);
    QCOMPARE(divisions->currentIndex().row(), 0);
    QCOMPARE(r->page(), 2);
}

// A search text over the limit is refused on the home page: the text stays in the box for
// shortening, and no stale results page shows.
void TestKeyboardPaths::overLongSearchKeepsTextAndPage()
{
    auto r = start();
    QVERIFY(r);
    QWindow *window = r->window->windowHandle();
    typeInto(window, QStringLiteral("cobre"));
    QTest::keyClick(window, Qt::Key_Return);
    QTest::keyClick(window, Qt::Key_Home, Qt::AltModifier);
    auto *box = r->find<QLineEdit>(QStringLiteral("EdtPesquisa"));
    // Apostrophes count twice, as the search doubles them.
    const QString tooLong = QString(MaxSearchTextLength - 3, QLatin1Char('a')) + QStringLiteral("''");
    box->setText(tooLong);
    QTest::keyClick(window, Qt::Key_Return);
    QCOMPARE(r->page(), 0);
    QCOMPARE(box->text(), tooLong);
    QCOMPARE(m_recorder.warnings.size(), 1);
    QVERIFY2(m_recorder.warnings.first().startsWith(QStringLiteral("O texto da pesquisa é longo demais")),
             qPrintable(m_recorder.warnings.first()));
    QVERIFY(m_recorder.errors.isEmpty());
    box->setText(tooLong.chopped(2));
    QTest::keyClick(window, Qt::Key_Return);
    QCOMPARE(r->page(), 7);
}

QTEST_MAIN(TestKeyboardPaths)
#include "tst_keyboardpaths.moc"
