// Back and forward through the pages of a run, and going up a level, through the keys, the mouse's
// side buttons and the header's small links, as a person uses them.
#include "app/DataGrid.h"
#include "app/Dialogs.h"
#include "app/LinkLabel.h"
#include "app/PageHistory.h"
#include "app/uFrmMain.h"
#include "data/UDtmMain.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "support/TinyClassification.h"
#include "support/WindowDriver.h"

namespace
{

void typeInto(QWindow *window, const QString &text)
{
    for (const QChar c : text)
        QTest::keyClick(window, c.toLatin1());
}

int currentRow(const DataGrid *grid)
{
    return grid->currentIndex().row();
}

PageVisit visitOf(int page, const QString &code = QString())
{
    PageVisit visit;
    visit.page = page;
    visit.codes[0] = code;
    return visit;
}

} // namespace

class TestPageHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void historyAsABrowserKeepsIt();
    void resultsComeBackAsTheyWere();
    void sideButtonsAndLinks();
    void goingUpStandsOnTheRowLeft();
    void resultsPageKeysGoHomeKeepingTheText();

private:
    std::unique_ptr<RunningWindow> start();

    dialogs::Recorder m_recorder;
    std::unique_ptr<DatabaseFolder> m_db;
    QTemporaryDir m_settings;
};

void TestPageHistory::init()
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
    m_recorder = dialogs::Recorder();
    dialogs::installRecorder(&m_recorder);
    m_db = std::make_unique<DatabaseFolder>();
}

void TestPageHistory::cleanup()
{
    dialogs::installRecorder(nullptr);
    m_db.reset();
}

std::unique_ptr<RunningWindow> TestPageHistory::start()
{
    if (!m_db->create(tiny::database()).isEmpty())
        return nullptr;
    auto r = startWindow(m_db->baseDirectory());
    r->window->activateWindow();
    if (!QTest::qWaitForWindowActive(r->window.get()))
        return nullptr;
    return r;
}

// A visit from the middle drops the pages ahead; the same page again only refreshes its entry.
void TestPageHistory::historyAsABrowserKeepsIt()
{
    PageHistory history;
    QVERIFY(!history.current());
    QVERIFY(!history.back());
    history.visit(visitOf(0));
    history.visit(visitOf(2, QStringLiteral("A")));
    history.visit(visitOf(2, QStringLiteral("A"))); // the same item: no new entry
    history.visit(visitOf(2, QStringLiteral("B")));
    QCOMPARE(history.back()->codes[0], QStringLiteral("A"));
    QCOMPARE(history.back()->page, 0);
    QVERIFY(!history.canGoBack());
    QCOMPARE(history.forward()->codes[0], QStringLiteral("A"));
    history.visit(visitOf(7));
    QVERIFY(!history.canGoForward());
    QCOMPARE(history.back()->codes[0], QStringLiteral("A"));
    QCOMPARE(history.back()->page, 0);

    for (int i = 0; i < PageHistory::Limit + 10; ++i)
        history.visit(visitOf(2, QString::number(i)));
    int steps = 0;
    while (history.back())
        ++steps;
    QCOMPARE(steps, PageHistory::Limit - 1);
}

// Back to the results: the text, the sort, the rows and the row left; forward to the class again.
void TestPageHistory::resultsComeBackAsTheyWere()
{
    auto r = start();
    QVERIFY(r);
    QWindow *window = r->window->windowHandle();
    auto *box = r->find<QLineEdit>(QStringLiteral("EdtPesquisa"));
    auto *results = r->find<DataGrid>(QStringLiteral("DbgPesquisa"));
    r->find<QRadioButton>(QStringLiteral("RdbAlfabetica"))->setChecked(true);
    typeInto(window, QStringLiteral("cobre"));
    QTest::keyClick(window, Qt::Key_Return);
    QCOMPARE(r->page(), 7);
    const QStringList rows = columnTexts(results, 0);
    QCOMPARE(rows.size(), 2);
    QTest::keyClick(window, Qt::Key_Down);
    QTest::keyClick(window, Qt::Key_Return);
    QCOMPARE(r->page(), 5);
    const QString opened = r->text(QStringLiteral("LblCodClasse_TbsClasse"));

    // Meanwhile the box and the sort changed on the home page.
    box->setText(QStringLiteral("outra coisa"));
    r->find<QRadioButton>(QStringLiteral("RdbCodigo"))->setChecked(true);

    QTest::keyClick(window, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(r->page(), 7);
    QCOMPARE(r->text(QStringLiteral("LblItemPesquisado")), QStringLiteral("COBRE"));
    QCOMPARE(box->text(), QStringLiteral("cobre"));
    QVERIFY(r->find<QRadioButton>(QStringLiteral("RdbAlfabetica"))->isChecked());
    QCOMPARE(columnTexts(results, 0), rows);
    QCOMPARE(currentRow(results), 1);

    QTest::keyClick(window, Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(r->page(), 5);
    QCOMPARE(r->text(QStringLiteral("LblCodClasse_TbsClasse")), opened);

    // Back twice: the home page, its text kept.
    QTest::keyClick(window, Qt::Key_Left, Qt::AltModifier);
    QTest::keyClick(window, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(r->page(), 0);
    QCOMPARE(box->text(), QStringLiteral("cobre"));
    QVERIFY2(m_recorder.errors.isEmpty(), qPrintable(m_recorder.errors.join('\n')));
}

// The side buttons of the mouse anywhere over the window, and the small links beside the header's,
// which are greyed where there is no page that way.
void TestPageHistory::sideButtonsAndLinks()
{
    auto r = start();
    QVERIFY(r);
    QWindow *window = r->window->windowHandle();
    auto *back = r->find<LinkLabel>(QStringLiteral("LblVoltar"));
    auto *forward = r->find<LinkLabel>(QStringLiteral("LblAvancar"));
    QVERIFY(back && forward);
    QVERIFY(back->isVisible() && !back->isEnabled() && !forward->isEnabled());

    browseDown(*r, {1, 1}); // structure, section B, division 06
    QCOMPARE(r->page(), 3);
    QVERIFY(back->isEnabled());
    DataGrid *groups = r->gridOfPage(3);
    const QPoint overGrid = groups->viewport()->mapTo(r->window.get(), QPoint(10, 10));
    QTest::mouseClick(window, Qt::BackButton, Qt::NoModifier, overGrid);
    QCOMPARE(r->page(), 2);
    QCOMPARE(r->window->nav.CodSecao, QStringLiteral("B"));
    QVERIFY(forward->isEnabled());
    QTest::mouseClick(window, Qt::ForwardButton, Qt::NoModifier, QPoint(5, 5));
    QCOMPARE(r->page(), 3);
    QCOMPARE(r->window->nav.CodDivisao, QStringLiteral("06"));
    QVERIFY(!forward->isEnabled());

    clickLink(back);
    clickLink(back);
    QCOMPARE(r->page(), 1);
    clickLink(forward);
    QCOMPARE(r->page(), 2);
    // A new page from the middle drops the way forward.
    clickRow(r->gridOfPage(2), 0);
    QCOMPARE(r->page(), 3);
    QCOMPARE(r->window->nav.CodDivisao, QStringLiteral("05"));
    QVERIFY(!forward->isEnabled());
    QVERIFY2(m_recorder.errors.isEmpty(), qPrintable(m_recorder.errors.join('\n')));
}

// Up a level by Backspace, Alt+Up or an ancestor link, the parent's list stands on the item just
// left, not on its first row; and back again, a level page comes with the row it was left on.
void TestPageHistory::goingUpStandsOnTheRowLeft()
{
    auto r = start();
    QVERIFY(r);
    QWindow *window = r->window->windowHandle();
    browseDown(*r, {1, 1, 1, 1}); // B, 06, 062, 06202
    QCOMPARE(r->page(), 5);
    QCOMPARE(r->window->nav.CodClasse, QStringLiteral("06202"));

    QTest::keyClick(window, Qt::Key_Backspace);
    QCOMPARE(r->page(), 4);
    QCOMPARE(currentRow(r->gridOfPage(4)), 1);
    QTest::keyClick(window, Qt::Key_Up, Qt::AltModifier);
    QCOMPARE(r->page(), 3);
    QCOMPARE(currentRow(r->gridOfPage(3)), 1);
    clickLink(r->find<LinkLabel>(QStringLiteral("LblCodSecao_TbsDivisao")));
    QCOMPARE(r->page(), 2);
    QCOMPARE(currentRow(r->gridOfPage(2)), 1);
    QTest::keyClick(window, Qt::Key_Backspace);
    QCOMPARE(r->page(), 1);
    QCOMPARE(currentRow(r->gridOfPage(1)), 1);

    // On the section page the row moved to the first division; up, then back: the row comes back
    // too.
    QTest::keyClick(window, Qt::Key_Return);
    QCOMPARE(r->page(), 2);
    QTest::keyClick(window, Qt::Key_Up);
    QCOMPARE(currentRow(r->gridOfPage(2)), 0);
    QTest::keyClick(window, Qt::Key_Backspace);
    QCOMPARE(currentRow(r->gridOfPage(1)), 1);
    QTest::keyClick(window, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(r->page(), 2);
    QCOMPARE(r->window->nav.CodSecao, QStringLiteral("B"));
    QCOMPARE(currentRow(r->gridOfPage(2)), 0);
    QVERIFY2(m_recorder.errors.isEmpty(), qPrintable(m_recorder.errors.join('\n')));
}

// Backspace and Escape on the results go home; there, and after "Nova Pesquisa..." or Alt+Home,
// the search stays in the box, all selected, so that typing replaces it.
void TestPageHistory::resultsPageKeysGoHomeKeepingTheText()
{
    auto r = start();
    QVERIFY(r);
    QWindow *window = r->window->windowHandle();
    auto *box = r->find<QLineEdit>(QStringLiteral("EdtPesquisa"));
    const auto search = [&] {
        box->setFocus();
        box->setText(QStringLiteral("cobre"));
        QTest::keyClick(window, Qt::Key_Return);
        QCOMPARE(r->page(), 7);
    };
    for (const int key : {int(Qt::Key_Backspace), int(Qt::Key_Escape), int(Qt::Key_Home)}) {
        search();
        QTest::keyClick(window, Qt::Key(key), key == Qt::Key_Home ? Qt::AltModifier : Qt::NoModifier);
        QCOMPARE(r->page(), 0);
        QCOMPARE(QApplication::focusWidget(), box);
        QCOMPARE(box->text(), QStringLiteral("cobre"));
        QCOMPARE(box->selectedText(), QStringLiteral("cobre"));
    }
    search();
    clickLink(r->find<LinkLabel>(QStringLiteral("LblLinkCabecalho2"))); // "Nova Pesquisa..."
    QCOMPARE(box->selectedText(), QStringLiteral("cobre"));
    typeInto(window, QStringLiteral("azul"));
    QCOMPARE(box->text(), QStringLiteral("azul"));
    QVERIFY2(m_recorder.errors.isEmpty(), qPrintable(m_recorder.errors.join('\n')));
}

QTEST_MAIN(TestPageHistory)
#include "tst_pagehistory.moc"
