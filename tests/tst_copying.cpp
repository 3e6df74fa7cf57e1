#include "app/DataGrid.h"
#include "app/DataMemo.h"
#include "app/Dialogs.h"
#include "windows/UTESTE.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include "TestPaths.h"
#include "support/WindowDriver.h"

namespace
{

// Drags the mouse across a label's text, from its first character to its last line's end.
void dragAcross(QLabel *label)
{
    QTest::mousePress(label, Qt::LeftButton, Qt::NoModifier, QPoint(1, 3));
    QMouseEvent move(QEvent::MouseMove, QPointF(label->width() - 2, label->height() - 2),
                     label->mapToGlobal(QPointF(label->width() - 2, label->height() - 2)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(label, &move);
    QTest::mouseRelease(label, Qt::LeftButton, Qt::NoModifier,
                        QPoint(label->width() - 2, label->height() - 2));
}

QString clipboardText()
{
    return QApplication::clipboard()->text();
}

} // namespace

// What the user copies: codes from every grid with Ctrl+C and the context menu, the values of the
// level pages, the memos and the notes, all by the real mouse and keys.
class TestCopying : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void gridRowsCopy_data();
    void gridRowsCopy();
    void levelValuesSelectable();
    void memoSelectableNotEditable();
    void notesSelectable();

private:
    DatabaseFolder m_folder;
    std::unique_ptr<RunningWindow> m_running;
    dialogs::Recorder m_recorder;
};

void TestCopying::init()
{
    dialogs::installRecorder(&m_recorder);
    m_recorder = {};
    QApplication::clipboard()->clear();
    QVERIFY(m_folder.copyFrom(QStringLiteral(ZELT_SAMPLE_DB)));
    m_running = startWindow(m_folder.baseDirectory());
    pickEdition(*m_running, QStringLiteral("ZELT 2.1 - Subclasses"));
}

void TestCopying::cleanup()
{
    m_running.reset();
    dialogs::installRecorder(nullptr);
    QCOMPARE(m_recorder.errors, QStringList());
}

void TestCopying::gridRowsCopy_data()
{
    QTest::addColumn<int>("page"); // 1 to 5, or 7 for the results of a search
    QTest::newRow("structure") << 1;
    QTest::newRow("section") << 2;
    QTest::newRow("division") << 3;
    QTest::newRow("group") << 4;
    QTest::newRow("class") << 5;
    QTest::newRow("results") << 7;
}

// The arrow key moves to the second row (which opens nothing); Ctrl+C copies its code, a tab and
// its description; the context menu of the third row offers both copies, and each copies that row.
void TestCopying::gridRowsCopy()
{
    QFETCH(int, page);
    DataGrid *grid = nullptr;
    if (page == 7) {
        auto *box = m_running->find<QLineEdit>(QStringLiteral("EdtPesquisa"));
        box->setText(QStringLiteral("automov*"));
        QTest::keyClick(box, Qt::Key_Return);
        grid = m_running->find<DataGrid>(QStringLiteral("DbgPesquisa"));
    } else {
        browseDown(*m_running, QVector<int>(page - 1, 0));
        grid = m_running->gridOfPage(page);
    }
    QCOMPARE(m_running->page(), page);
    QVERIFY(grid->model()->rowCount() >= 3);
    const int last = grid->model()->columnCount() - 1;
    const auto cell = [&](int row, int column) {
        return grid->model()->index(row, column).data().toString();
    };

    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(grid->currentIndex().row(), 1);
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboardText(), cell(1, 0) + QLatin1Char('\t') + cell(1, last));
    QVERIFY(!cell(1, 0).isEmpty() && !cell(1, last).isEmpty());

    const QPoint third = grid->visualRect(grid->model()->index(2, last)).center();
    for (const QString &choice :
         {QStringLiteral("Copiar código"), QStringLiteral("Copiar código e descrição")}) {
        QApplication::clipboard()->clear();
        // The right button's press, then the menu request the platform sends with it.
        QTest::mouseClick(grid->viewport(), Qt::RightButton, Qt::NoModifier, third);
        QContextMenuEvent request(QContextMenuEvent::Mouse, third, grid->viewport()->mapToGlobal(third));
        QApplication::sendEvent(grid->viewport(), &request);
        QCOMPARE(m_running->page(), page);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QStringList offered;
        QAction *chosen = nullptr;
        for (QAction *action : menu->actions()) {
            offered.append(action->text());
            if (action->text() == choice)
                chosen = action;
        }
        QCOMPARE(offered, QStringList({"Copiar código", "Copiar código e descrição"}));
        QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(chosen).center());
        QVERIFY(!menu->isVisible());
        const QString expected = choice.endsWith(QStringLiteral("descrição"))
                                     ? cell(2, 0) + QLatin1Char('\t') + cell(2, last)
                                     : cell(2, 0);
        QCOMPARE(clipboardText(), expected);
    }
}

// On a level page the item's code and every description can be selected with the mouse and
// copied; the ancestor codes stay links that open their page.
void TestCopying::levelValuesSelectable()
{
    browseDown(*m_running, {0, 0, 0, 0});
    QCOMPARE(m_running->page(), 5);
    for (const char *name :
         {"LblCodClasse_TbsClasse", "LblDescricaoClasse_TbsClasse", "LblDescricaoSecao_TbsClasse"}) {
        auto *label = m_running->find<QLabel>(QLatin1String(name));
        const QString text = label->text();
        dragAcross(label);
        QCOMPARE(label->selectedText(), text);
        QTest::keyClick(label, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboardText(), text);
        QCOMPARE(label->text(), text);
        QCOMPARE(m_running->page(), 5);
    }
    clickLink(m_running->find<QLabel>(QStringLiteral("LblCodGrupo_TbsClasse")));
    QCOMPARE(m_running->page(), 4);
}

// The memo under the results: Ctrl+A and Ctrl+C copy the whole description; typing changes nothing.
void TestCopying::memoSelectableNotEditable()
{
    auto *box = m_running->find<QLineEdit>(QStringLiteral("EdtPesquisa"));
    box->setText(QStringLiteral("automov*"));
    QTest::keyClick(box, Qt::Key_Return);
    auto *memo = m_running->find<DataMemo>(QStringLiteral("MemTbsPesquisa"));
    const QString description = memo->toPlainText();
    QVERIFY(!description.isEmpty());
    QTest::mouseClick(memo->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(memo, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboardText(), description);
    QTest::keyClicks(memo, QStringLiteral("xyz"));
    QTest::keyClick(memo, Qt::Key_Delete);
    QCOMPARE(memo->toPlainText(), description);
}

// A note of the popup can be selected with the mouse and copied; it stays as it was.
void TestCopying::notesSelectable()
{
    const QString note = QStringLiteral("Fabricação de carrinhos de mão.");
    QString copied;
    QString shown;
    m_recorder.onModal = [&](QDialog &popup) {
        QApplication::processEvents();
        auto *text = popup.findChild<QLabel *>(QStringLiteral("LblCompreende_Texto"));
        dragAcross(text);
        QTest::keyClick(text, Qt::Key_C, Qt::ControlModifier);
        copied = clipboardText();
        QTest::keyClicks(text, QStringLiteral("xyz"));
        shown = text->text();
    };
    TFrmPopupNota popup;
    popup.MostraNotas(QString(), note, QString(), QString(), QString(), 4);
    QCOMPARE(copied, note);
    QCOMPARE(shown, note);
}

QTEST_MAIN(TestCopying)
#include "tst_copying.moc"
