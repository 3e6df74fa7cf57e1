// The texts' size: Ctrl+plus, Ctrl+minus and Ctrl+0 step it through the window's own key
// handling, the whole window scales with it and comes back exactly, the next run keeps it, and at
// 150 % on a full-HD screen (this test's screen) no page cuts a text.
#include "app/DataGrid.h"
#include "app/DataMemo.h"
#include "app/Dialogs.h"
#include "app/LinkLabel.h"
#include "app/ProgramSettings.h"
#include "app/TextZoom.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include "TestPaths.h"
#include "support/WindowDriver.h"

namespace
{

const QSize kFullHd(1920, 1080);

int pixels(const QWidget *widget)
{
    return QFontInfo(widget->font()).pixelSize();
}

// Every widget the window places by hand on the page on show and in its header, where it stands.
QHash<QWidget *, QRect> places(const TFrmMain &window)
{
    QList<QWidget *> containers{
        window.findChild<QStackedWidget *>(QStringLiteral("PgcPrincipal"))->currentWidget()};
    containers << window.findChild<QWidget *>(QStringLiteral("PnlCabecalho"))
               << window.findChild<QWidget *>(QStringLiteral("PnlLinks"));
    QHash<QWidget *, QRect> all;
    for (QWidget *container : containers) {
        for (QWidget *widget : container->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            all.insert(widget, widget->geometry());
    }
    return all;
}

// Labels, links and buttons show their whole text, inside their parent; grid rows and titles are
// as tall as their font; memos show whole lines.
void checkNothingCut(QWidget *area, const QString &where)
{
    for (QWidget *widget : area->findChildren<QWidget *>()) {
        if (!widget->isVisible())
            continue;
        const QString name = where + QLatin1Char(' ') + widget->objectName();
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            if (label->text().isEmpty())
                continue;
            if (label->wordWrap()) {
                QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(name));
            } else {
                QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(name));
                QVERIFY2(
                    label->height() >= label->fontMetrics().height(),
                    qPrintable(
                        name +
                        QStringLiteral(" %1 < %2").arg(label->height()).arg(label->fontMetrics().height())));
            }
        } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
            QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(name));
            QVERIFY2(button->height() >= button->fontMetrics().height(), qPrintable(name));
        } else if (auto *grid = qobject_cast<DataGrid *>(widget)) {
            QVERIFY2(grid->verticalHeader()->defaultSectionSize() > grid->fontMetrics().height(),
                     qPrintable(name));
            QVERIFY2(grid->horizontalHeader()->height() >= grid->horizontalHeader()->sizeHint().height(),
                     qPrintable(name));
            const int last = grid->model()->columnCount() - 1;
            for (int column = 0; column < last; ++column) {
                for (int row = 0; row < std::min(grid->model()->rowCount(), 20); ++row) {
                    const QString text = grid->model()->index(row, column).data().toString();
                    QVERIFY2(grid->fontMetrics().horizontalAdvance(text) < grid->columnWidth(column),
                             qPrintable(name + QStringLiteral(": ") + text));
                }
            }
        } else if (auto *memo = qobject_cast<DataMemo *>(widget)) {
            const int textHeight = memo->viewport()->height() - int(memo->document()->documentMargin());
            QVERIFY2(textHeight % memo->fontMetrics().lineSpacing() == 0, qPrintable(name));
        }
        if (widget->parentWidget() == area || qobject_cast<QLabel *>(widget) ||
            qobject_cast<QAbstractButton *>(widget))
            QVERIFY2(widget->parentWidget()->rect().contains(widget->geometry()),
                     qPrintable(name + QStringLiteral(" cut by its parent")));
    }
    // Side by side, nothing covers another's text (the design's one-pixel touches, scaled, aside).
    QList<QWidget *> shown;
    for (QWidget *child : area->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isVisible())
            shown.append(child);
    }
    for (int i = 0; i < shown.size(); ++i) {
        for (int j = i + 1; j < shown.size(); ++j) {
            const QRect common = shown[i]->geometry().intersected(shown[j]->geometry());
            QVERIFY2(common.isEmpty() || std::min(common.width(), common.height()) <= 2,
                     qPrintable(where + QLatin1Char(' ') + shown[i]->objectName() +
                                QStringLiteral(" overlaps ") + shown[j]->objectName()));
        }
    }
}

} // namespace

class TestTextZoom : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void keysStepTheSizeAndBackExactly();
    void stepsEndAtTheScreenAndTheSmallest();
    void nextRunKeepsTheSize();
    void nothingCutAtOneAndAHalf();
    void popupsOpenAtTheSameSize();

private:
    void start();
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier);

    QTemporaryDir m_settings;
    DatabaseFolder m_folder;
    std::unique_ptr<RunningWindow> m_running;
    dialogs::Recorder m_recorder;
};

void TestTextZoom::init()
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
    QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry().size(), kFullHd);
    m_recorder = {};
    dialogs::installRecorder(&m_recorder);
    QVERIFY(m_folder.copyFrom(QStringLiteral(ZELT_SAMPLE_DB)));
}

void TestTextZoom::cleanup()
{
    m_running.reset();
    TextZoom::instance().setPercent(TextZoom::Designed);
    dialogs::installRecorder(nullptr);
    QCOMPARE(m_recorder.errors, QStringList());
}

void TestTextZoom::start()
{
    m_running = startWindow(m_folder.baseDirectory());
    pickEdition(*m_running, QStringLiteral("ZELT 2.1 - Subclasses"));
    m_running->window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_running->window.get()));
}

void TestTextZoom::press(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    QApplication::processEvents();
}

// Each way of typing Ctrl+plus goes one step up, Ctrl+minus one down, Ctrl+0 back to the design:
// fonts, places and sizes, every widget exactly where it stood.
void TestTextZoom::keysStepTheSizeAndBackExactly()
{
    start();
    browseDown(*m_running, {0, 0});
    QApplication::processEvents();
    TFrmMain &window = *m_running->window;
    auto *caption = m_running->find<QLabel>(QStringLiteral("LblDescricaoZelt_TbsDivisao"));
    auto *grid = m_running->find<DataGrid>(QStringLiteral("DbgDivisao"));
    const QHash<QWidget *, QRect> designed = places(window);
    QCOMPARE(pixels(caption), 11);
    const QRect gridDesigned = grid->geometry();
    const int rowDesigned = grid->verticalHeader()->defaultSectionSize();

    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int percent;
    } steps[] = {{Qt::Key_Plus, Qt::ControlModifier, 110},
                 {Qt::Key_Equal, Qt::ControlModifier, 120},
                 {Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier, 133},
                 {Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier, 150},
                 {Qt::Key_Minus, Qt::ControlModifier, 133},
                 {Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier, 120},
                 {Qt::Key_Plus, Qt::ControlModifier, 133},
                 {Qt::Key_Plus, Qt::ControlModifier, 150}};
    for (const auto &step : steps) {
        press(step.key, step.modifiers);
        QCOMPARE(TextZoom::instance().percent(), step.percent);
        QCOMPARE(ProgramSettings().textZoom(), step.percent);
    }
    QCOMPARE(pixels(caption), 16);
    QCOMPARE(pixels(m_running->find<QWidget>(QStringLiteral("LblLinkCabecalho1"))), 16);
    QCOMPARE(grid->verticalHeader()->defaultSectionSize(), qRound(rowDesigned * 1.5));
    QCOMPARE(grid->x(), qRound(gridDesigned.x() * 1.5));
    QVERIFY(grid->y() > gridDesigned.y() * 1.4);
    QVERIFY(window.minimumWidth() >= qRound(804 * 1.5));
    auto *logo = m_running->find<QLabel>(QStringLiteral("ImgLogo"));
    QCOMPARE(logo->pixmap().size(), QSize(qRound(239 * 1.5), qRound(61 * 1.5)));
    QVERIFY(window.width() >= window.minimumWidth());

    press(Qt::Key_0);
    QCOMPARE(TextZoom::instance().percent(), 100);
    QCOMPARE(pixels(caption), 11);
    QCOMPARE(grid->verticalHeader()->defaultSectionSize(), rowDesigned);
    QCOMPARE(window.minimumSize(), QSize(804, 585));
    QCOMPARE(logo->pixmap().size(), QSize(239, 61));
    // The window kept the size the zoom gave it: back at its design, the pages grow with it.
    window.resize(window.minimumSize());
    QApplication::processEvents();
    const QHash<QWidget *, QRect> back = places(window);
    for (auto it = designed.cbegin(); it != designed.cend(); ++it)
        QVERIFY2(back.value(it.key()) == it.value(),
                 qPrintable(it.key()->objectName() + QStringLiteral(" in ") +
                            it.key()->parentWidget()->objectName() + QStringLiteral(" moved")));
}

// Up to the largest size whose window the screen holds, down to 80 %; beyond, the keys do nothing.
void TestTextZoom::stepsEndAtTheScreenAndTheSmallest()
{
    start();
    for (int i = 0; i < 10; ++i)
        press(Qt::Key_Plus);
    // 585 × 2 does not fit 1080 pixels; 585 × 1.7 does.
    QCOMPARE(TextZoom::instance().percent(), 170);
    QCOMPARE(pixels(m_running->find<QWidget>(QStringLiteral("LblPesquisaZELT"))), 18);
    QVERIFY(m_running->window->minimumHeight() <= kFullHd.height());
    for (int i = 0; i < 12; ++i)
        press(Qt::Key_Minus);
    QCOMPARE(TextZoom::instance().percent(), 80);
    QCOMPARE(pixels(m_running->find<QWidget>(QStringLiteral("LblPesquisaZELT"))), 8);
}

// The size the last run left is the size the window opens at; a size saved for a larger screen
// than this one opens at the largest this screen holds.
void TestTextZoom::nextRunKeepsTheSize()
{
    start();
    press(Qt::Key_Plus);
    QCOMPARE(ProgramSettings().textZoom(), 110);
    m_running.reset();
    TextZoom::instance().setPercent(TextZoom::Designed);
    ProgramSettings().setTextZoom(150);
    start();
    QCOMPARE(TextZoom::instance().percent(), 150);
    QCOMPARE(pixels(m_running->find<QWidget>(QStringLiteral("EdtPesquisa"))), 16);
    QCOMPARE(m_running->window->minimumSize(), QSize(1206, 878));

    m_running.reset();
    ProgramSettings().setTextZoom(200);
    start();
    QCOMPARE(TextZoom::instance().percent(), 170);
}

// At 150 % in a window maximised on a full-HD screen, every page shows every text whole.
void TestTextZoom::nothingCutAtOneAndAHalf()
{
    start();
    TFrmMain &window = *m_running->window;
    window.setFixedSize(kFullHd);
    for (int i = 0; i < 4; ++i)
        press(Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
    QCOMPARE(TextZoom::instance().percent(), 150);
    QCOMPARE(window.size(), kFullHd);
    auto *pages = m_running->find<QStackedWidget>(QStringLiteral("PgcPrincipal"));
    const auto check = [&](const QString &where) {
        QApplication::processEvents();
        checkNothingCut(m_running->find<QWidget>(QStringLiteral("PnlCabecalho")),
                        where + QStringLiteral(" header"));
        checkNothingCut(pages->currentWidget(), where);
    };
    check(QStringLiteral("home"));
    if (QTest::currentTestFailed())
        return;
    QTest::mouseClick(m_running->find<QPushButton>(QStringLiteral("BtnEstrutura")), Qt::LeftButton);
    check(QStringLiteral("structure"));
    for (int level = 2; level <= 6 && !QTest::currentTestFailed(); ++level) {
        clickRow(m_running->gridOfPage(m_running->page()), 0);
        QCOMPARE(m_running->page(), level);
        check(QStringLiteral("page %1").arg(level));
    }
    if (QTest::currentTestFailed())
        return;
    QTest::mouseClick(m_running->find<QWidget>(QStringLiteral("LblLinkCabecalho2")), Qt::LeftButton, {},
                      QPoint(2, 2));
    auto *box = m_running->find<QLineEdit>(QStringLiteral("EdtPesquisa"));
    box->setText(QStringLiteral("automov*"));
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(m_running->page(), 7);
    check(QStringLiteral("results"));
}

// The notes popup and the help window open at the main window's size of texts, their designed
// size scaled, their texts whole.
void TestTextZoom::popupsOpenAtTheSameSize()
{
    start();
    for (int i = 0; i < 4; ++i)
        press(Qt::Key_Plus);
    QCOMPARE(TextZoom::instance().percent(), 150);
    browseDown(*m_running, {0});
    QStringList opened;
    m_recorder.onModal = [&](QDialog &dialog) {
        QApplication::processEvents();
        opened.append(dialog.windowTitle());
        QCOMPARE(pixels(&dialog), 16);
        QVERIFY(dialog.width() >= qRound(488 * 1.5));
        for (QLabel *label : dialog.findChildren<QLabel *>()) {
            if (label->isVisible() && !label->text().isEmpty() && !label->wordWrap())
                QVERIFY2(label->height() >= label->fontMetrics().height() &&
                             label->width() >= label->sizeHint().width(),
                         qPrintable(label->objectName()));
        }
        dialog.reject();
    };
    clickLink(m_running->find<LinkLabel>(QStringLiteral("LblNotasExplicativas_TbsSecao")));
    m_running->window->AbreJanelaAjuda(3);
    QCOMPARE(opened, (QStringList{QStringLiteral("Notas Explicativas - Seção"),
                                  QStringLiteral("Pesquisa Avançada")}));
}

QTEST_MAIN(TestTextZoom)
#include "tst_textzoom.moc"
