#include "app/DataGrid.h"
#include "app/DataMemo.h"
#include "app/Dialogs.h"
#include "app/LinkLabel.h"

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTest>
#include <QToolTip>

#include "TestPaths.h"
#include "support/WindowDriver.h"

namespace
{

const QSize kDesigned(804, 585);
const QSize kFullHd(1920, 1080);
const int kHeader = 81;

// How to reach each page from the home page of the subclass edition: rows to click from the
// structure page down, or a search.
struct PageRoute {
    const char *name;
    int page;
    QVector<int> rows;
    const char *search;
};
const PageRoute kRoutes[] = {
    {"structure", 1, {}, nullptr},       {"section", 2, {0}, nullptr},
    {"division", 3, {0, 0}, nullptr},    {"group", 4, {0, 0, 0}, nullptr},
    {"class", 5, {0, 0, 0, 0}, nullptr}, {"subclass", 6, {0, 0, 0, 0, 0}, nullptr},
    {"results", 7, {}, "automov*"},
};

QWidget *pageWidget(const RunningWindow &running, int page)
{
    return running.find<QStackedWidget>(QStringLiteral("PgcPrincipal"))->widget(page);
}

QList<QWidget *> shownChildren(QWidget *parent)
{
    QList<QWidget *> shown;
    for (QWidget *child : parent->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isVisible())
            shown.append(child);
    }
    return shown;
}

} // namespace

// The main window at its designed size and at 1920 × 1080: where the extra room goes, and that every
// text stays whole and no grid scrolls sideways.
class TestLargeWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void listsTakeTheRoom_data();
    void listsTakeTheRoom();
    void everyTextWhole_data();
    void everyTextWhole();
    void codesNeverScrollAway_data();
    void codesNeverScrollAway();
    void elidedDescriptionInTooltip();
    void longSearchedTextWraps();
    void logoSharpOnScaledScreens();
    void longestSearchedTextLeavesTheListTwoThirds_data();
    void longestSearchedTextLeavesTheListTwoThirds();
    void levelValuesSelectable_data();
    void levelValuesSelectable();

private:
    void open(const PageRoute &route);
    void setClientSize(const QSize &size);
    void search(const QString &text);

    DatabaseFolder m_folder;
    std::unique_ptr<RunningWindow> m_running;
    dialogs::Recorder m_recorder;
};

void TestLargeWindow::init()
{
    dialogs::installRecorder(&m_recorder);
    m_recorder = {};
    QVERIFY(m_folder.copyFrom(QStringLiteral(ZELT_SAMPLE_DB)));
    m_running = startWindow(m_folder.baseDirectory());
    pickEdition(*m_running, QStringLiteral("ZELT 2.1 - Subclasses"));
}

void TestLargeWindow::cleanup()
{
    m_running.reset();
    dialogs::installRecorder(nullptr);
    QCOMPARE(m_recorder.errors, QStringList());
}

void TestLargeWindow::setClientSize(const QSize &size)
{
    m_running->window->setFixedSize(size);
    QApplication::processEvents();
    QCOMPARE(m_running->window->size(), size);
}

void TestLargeWindow::search(const QString &text)
{
    auto *box = m_running->find<QLineEdit>(QStringLiteral("EdtPesquisa"));
    box->setText(text);
    QTest::keyClick(box, Qt::Key_Return);
    QApplication::processEvents();
}

void TestLargeWindow::open(const PageRoute &route)
{
    if (route.search)
        search(QString::fromLatin1(route.search));
    else
        browseDown(*m_running, route.rows);
    QApplication::processEvents();
    QCOMPARE(m_running->page(), route.page);
}

void TestLargeWindow::listsTakeTheRoom_data()
{
    QTest::addColumn<int>("route");
    for (int i = 0; i < int(std::size(kRoutes)); ++i)
        QTest::newRow(kRoutes[i].name) << i;
}

// Lists and texts are laid out as designed, then the window is maximised on a full-HD screen:
// every widget keeps its left and top unless it stands below the list (it moves down by the extra
// height) or at the right end (it moves by the extra width); lists, memos, rules and descriptions
// widen to the same right margin; the list reaches down to the designed bottom margin.
void TestLargeWindow::listsTakeTheRoom()
{
    QFETCH(int, route);
    open(kRoutes[route]);
    QWidget *page = pageWidget(*m_running, kRoutes[route].page);
    QHash<QWidget *, QRect> designed;
    for (QWidget *child : shownChildren(page))
        designed.insert(child, child->geometry());
    auto *panel = m_running->find<QWidget>(QStringLiteral("PnlLinks"));
    const QRect panelDesigned = panel->geometry();

    setClientSize(kFullHd);
    const int dx = kFullHd.width() - kDesigned.width();
    const int dy = kFullHd.height() - kDesigned.height();
    QCOMPARE(page->size(), QSize(kFullHd.width(), kFullHd.height() - kHeader));
    QCOMPARE(panel->geometry(), panelDesigned.translated(dx, 0));

    QWidget *list = page->findChild<DataGrid *>();
    for (auto it = designed.cbegin(); it != designed.cend(); ++it) {
        QWidget *child = it.key();
        const QRect was = it.value();
        const QRect now = child->geometry();
        const QString name = child->objectName();
        const bool below = list && child != list && was.top() >= designed.value(list).bottom();
        const bool wide = qobject_cast<const DataGrid *>(child) || qobject_cast<const DataMemo *>(child) ||
                          name.startsWith(QLatin1String("ImgLine")) ||
                          name.startsWith(QLatin1String("LblDescricao"));
        // The structure page's links stand at its right end.
        static const QStringList atRightEnd{
            QStringLiteral("LblLinkNovaPesquisa"), QStringLiteral("LblExportarClassificacao_TbsEstrutura"),
            QStringLiteral("LblExportar_TbsEstrutura"), QStringLiteral("LblImprimir_TbsEstrutura")};
        const int left = atRightEnd.contains(name) ? was.left() + dx : was.left();
        QCOMPARE(now.topLeft(), QPoint(left, below ? was.top() + dy : was.top()));
        if (wide)
            QVERIFY2(now.right() == was.right() + dx, qPrintable(name));
        if (name.startsWith(QLatin1String("ImgLine")))
            QCOMPARE(static_cast<QLabel *>(child)->pixmap().width(), 776 + dx);
        QVERIFY2(page->rect().contains(now), qPrintable(name + QStringLiteral(" leaves the page")));
    }
    if (list)
        QCOMPARE(list->geometry().bottom(), designed.value(list).bottom() + dy);

    // Nothing overlaps: a rule may only touch a band it frames.
    const QList<QWidget *> shown = shownChildren(page);
    for (int i = 0; i < shown.size(); ++i) {
        for (int j = i + 1; j < shown.size(); ++j)
            QVERIFY2(
                !shown[i]->geometry().intersects(shown[j]->geometry()),
                qPrintable(shown[i]->objectName() + QStringLiteral(" overlaps ") + shown[j]->objectName()));
    }

    if (kRoutes[route].search) {
        const DataGrid *results = m_running->find<DataGrid>(QStringLiteral("DbgPesquisa"));
        QVERIFY(results->model()->rowCount() >= 40);
        const int lastShown = results->rowAt(results->viewport()->height() - 1);
        QVERIFY2(lastShown >= 39, qPrintable(QString::number(lastShown + 1)));
    }
}

void TestLargeWindow::everyTextWhole_data()
{
    QTest::addColumn<int>("route");
    QTest::addColumn<QSize>("size");
    QTest::newRow("home, designed") << -1 << kDesigned;
    QTest::newRow("home, full HD") << -1 << kFullHd;
    for (int i = 0; i < int(std::size(kRoutes)); ++i) {
        QTest::newRow(qPrintable(QStringLiteral("%1, designed").arg(QLatin1String(kRoutes[i].name))))
            << i << kDesigned;
        QTest::newRow(qPrintable(QStringLiteral("%1, full HD").arg(QLatin1String(kRoutes[i].name))))
            << i << kFullHd;
    }
}

// In the fallback font every caption, title and label shows its whole text: none is narrower than
// its text or cut by its parent's edge, no grid title is wider than its column, and the memo shows
// whole lines.
void TestLargeWindow::everyTextWhole()
{
    QFETCH(int, route);
    QFETCH(QSize, size);
    QVERIFY2(QFontInfo(m_running->window->font()).family().startsWith(QLatin1String("DejaVu Sans")),
             qPrintable(QFontInfo(m_running->window->font()).family()));
    if (route >= 0)
        open(kRoutes[route]);
    setClientSize(size);
    QWidget *page = pageWidget(*m_running, route >= 0 ? kRoutes[route].page : 0);
    QList<QLabel *> labels = page->findChildren<QLabel *>();
    labels += m_running->find<QWidget>(QStringLiteral("PnlCabecalho"))->findChildren<QLabel *>();
    for (QLabel *label : labels) {
        if (!label->isVisible() || label->text().isEmpty())
            continue;
        const QString name = label->objectName();
        if (label->wordWrap())
            QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(name));
        else
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(name));
        QVERIFY2(label->parentWidget()->rect().contains(label->geometry()),
                 qPrintable(name + QStringLiteral(" cut by ") + label->parentWidget()->objectName()));
    }
    for (DataGrid *grid : page->findChildren<DataGrid *>()) {
        for (int column = 0; column < grid->model()->columnCount(); ++column)
            QVERIFY2(grid->horizontalHeader()->sectionSizeHint(column) <= grid->columnWidth(column),
                     qPrintable(grid->columnTitle(column)));
    }
    for (DataMemo *memo : page->findChildren<DataMemo *>()) {
        const int lineHeight = memo->fontMetrics().lineSpacing();
        const int textHeight = memo->viewport()->height() - int(memo->document()->documentMargin());
        QVERIFY2(textHeight % lineHeight == 0, qPrintable(memo->objectName()));
    }
}

void TestLargeWindow::codesNeverScrollAway_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("designed") << kDesigned;
    QTest::newRow("full HD") << kFullHd;
}

// The code column stays at the grid's left edge whatever the user does: a result clicked,
// "Nova Pesquisa...", a search without result, Ctrl+End.
void TestLargeWindow::codesNeverScrollAway()
{
    QFETCH(QSize, size);
    setClientSize(size);
    DataGrid *results = m_running->find<DataGrid>(QStringLiteral("DbgPesquisa"));
    const auto codesInSight = [&](const DataGrid *grid) {
        QCOMPARE(grid->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(grid->columnViewportPosition(0), 0);
        QCOMPARE(grid->horizontalHeader()->sectionViewportPosition(0), 0);
        const int last = grid->model()->columnCount() - 1;
        QCOMPARE(grid->columnViewportPosition(last) + grid->columnWidth(last), grid->viewport()->width());
    };
    search(QStringLiteral("automov*"));
    codesInSight(results);
    results->setFocus();
    QTest::keyClick(results, Qt::Key_End, Qt::ControlModifier);
    codesInSight(results);
    results->scrollToTop();
    clickRow(results, 1, 1);
    QCOMPARE(m_running->page(), 6);
    clickLink(m_running->find<LinkLabel>(QStringLiteral("LblLinkCabecalho2")));
    search(QStringLiteral("tecelagem de nuvens"));
    QCOMPARE(m_running->page(), 7);
    QCOMPARE(results->model()->rowCount(), 0);
    codesInSight(results);
    for (const int page : {1, 2, 3, 4, 5}) {
        browseDown(*m_running, QVector<int>(page - 1, 0));
        DataGrid *grid = m_running->gridOfPage(page);
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
        codesInSight(grid);
    }
}

// A description too long for its cell ends in an ellipsis and shows whole in the tooltip; on a grid
// without tooltips of its own, a text that fits has none.
void TestLargeWindow::elidedDescriptionInTooltip()
{
    const auto tipAt = [](DataGrid *grid, int row, int column) {
        QToolTip::hideText();
        QApplication::processEvents();
        const QModelIndex index = grid->model()->index(row, column);
        grid->scrollTo(index);
        const QPoint at = grid->visualRect(index).center();
        QHelpEvent help(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    browseDown(*m_running, {});
    DataGrid *sections = m_running->gridOfPage(1);
    QCOMPARE(tipAt(sections, 0, 3), QString());
    // The user widens the code column: the descriptions no longer fit and show whole on rest.
    sections->horizontalHeader()->resizeSection(0, 600);
    const QString section = sections->model()->index(0, 3).data().toString();
    QVERIFY(sections->fontMetrics().horizontalAdvance(section) > sections->columnWidth(3));
    QVERIFY(tipAt(sections, 0, 3).contains(section.toHtmlEscaped()));

    search(QStringLiteral("automov*"));
    DataGrid *results = m_running->find<DataGrid>(QStringLiteral("DbgPesquisa"));
    QCOMPARE(results->textElideMode(), Qt::ElideRight);
    int longRow = -1;
    for (int row = 0; row < results->model()->rowCount() && longRow < 0; ++row) {
        const QString text = results->model()->index(row, 1).data().toString();
        if (results->fontMetrics().horizontalAdvance(text) > results->columnWidth(1))
            longRow = row;
    }
    QVERIFY2(longRow >= 0, "no description is longer than its cell");
    const QString description = results->model()->index(longRow, 1).data().toString();
    QVERIFY(tipAt(results, longRow, 1).contains(description.toHtmlEscaped()));
}

// A searched text longer than the page is wide wraps at its words; what follows moves down.
void TestLargeWindow::longSearchedTextWraps()
{
    QString text;
    for (int i = 0; i < 30; ++i)
        text += QStringLiteral("automov* ");
    search(text.trimmed());
    auto *searched = m_running->find<QLabel>(QStringLiteral("LblItemPesquisado"));
    const auto *count = m_running->find<QLabel>(QStringLiteral("LblNumeroRegistros"));
    const auto *results = m_running->find<DataGrid>(QStringLiteral("DbgPesquisa"));
    QVERIFY(searched->height() > 13);
    QVERIFY(searched->heightForWidth(searched->width()) <= searched->height());
    QVERIFY(searched->geometry().right() < 804);
    QVERIFY(count->geometry().top() > searched->geometry().bottom());
    QVERIFY(results->geometry().top() > count->geometry().bottom());
    QCOMPARE(results->geometry().bottom(), 76 + 261 - 1);

    search(QStringLiteral("automov*"));
    QCOMPARE(searched->height(), 13);
    QCOMPARE(results->geometry(), QRect(32, 76, 709, 261));
}

// The logo has as many pixels as the screen gives its 239 × 61 (QT_SCALE_FACTOR sets the scale).
void TestLargeWindow::logoSharpOnScaledScreens()
{
    const qreal scale = m_running->window->devicePixelRatioF();
    const QPixmap logo = m_running->find<QLabel>(QStringLiteral("ImgLogo"))->pixmap();
    QCOMPARE(logo.devicePixelRatio(), scale);
    QCOMPARE(logo.size(), (QSizeF(239, 61) * scale).toSize());
    // Drawn from the large picture, not blown up from the small one.
    if (scale == 2) {
        const QImage large(QStringLiteral(":/images/logo@2x.png"));
        QCOMPARE(logo.toImage().convertToFormat(large.format()), large);
    }
}

void TestLargeWindow::longestSearchedTextLeavesTheListTwoThirds_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("designed") << kDesigned;
    QTest::newRow("full HD") << kFullHd;
}

// However long the searched text, the results keep two thirds of their designed height (261)
// plus the window's extra height: at the designed size the label gives up what it cannot show;
// on a full-HD window it shows the text whole and the list gives up as much as the label grows.
void TestLargeWindow::longestSearchedTextLeavesTheListTwoThirds()
{
    QFETCH(QSize, size);
    setClientSize(size);
    QString text;
    for (int i = 0; i < 110; ++i) // just below the 1000 characters a search takes
        text += QStringLiteral("automov* ");
    search(text.trimmed());
    const int dy = size.height() - kDesigned.height();
    const auto *searched = m_running->find<QLabel>(QStringLiteral("LblItemPesquisado"));
    const auto *count = m_running->find<QLabel>(QStringLiteral("LblNumeroRegistros"));
    const auto *results = m_running->find<DataGrid>(QStringLiteral("DbgPesquisa"));
    const int growth = searched->height() - 13;
    if (size == kDesigned) {
        QVERIFY(searched->heightForWidth(searched->width()) > searched->height());
        QCOMPARE(growth, 261 / 3);
    } else {
        QVERIFY(searched->heightForWidth(searched->width()) <= searched->height());
        QVERIFY(growth > 0);
    }
    QCOMPARE(results->geometry().bottom(), 76 + 261 - 1 + dy);
    QCOMPARE(results->height(), 261 - growth + dy);
    QVERIFY(count->geometry().top() > searched->geometry().bottom());
    QVERIFY(results->geometry().top() > count->geometry().bottom());
}

void TestLargeWindow::levelValuesSelectable_data()
{
    QTest::addColumn<int>("route");
    for (int i = 1; i <= 5; ++i)
        QTest::newRow(kRoutes[i].name) << i;
}

// On a level page the user selects a code or a description with the mouse, to copy it;
// the codes of the levels above stay links, which a press follows instead of selecting.
void TestLargeWindow::levelValuesSelectable()
{
    QFETCH(int, route);
    open(kRoutes[route]);
    QWidget *page = pageWidget(*m_running, kRoutes[route].page);
    static const QRegularExpression value(
        QStringLiteral("^Lbl(Cod|Descricao)(Secao|Divisao|Grupo|Classe|SubClasse)_Tbs"));
    int selected = 0, links = 0;
    for (QLabel *label : page->findChildren<QLabel *>(value)) {
        if (!label->isVisible() || label->text().isEmpty())
            continue;
        const QString name = label->objectName();
        if (qobject_cast<LinkLabel *>(label)) {
            QVERIFY2(!(label->textInteractionFlags() & Qt::TextSelectableByMouse), qPrintable(name));
            ++links;
            continue;
        }
        // A double click selects the word under the mouse.
        QTest::mouseDClick(label, Qt::LeftButton, {}, QPoint(3, label->height() / 2));
        QVERIFY2(label->hasSelectedText(), qPrintable(name));
        QVERIFY2(label->text().contains(label->selectedText()), qPrintable(name));
        ++selected;
    }
    // The page's own code and description, and every ancestor's description.
    QCOMPARE(selected, route + 1);
    QCOMPARE(links, route - 1);
}

QTEST_MAIN(TestLargeWindow)
#include "tst_largewindow.moc"
