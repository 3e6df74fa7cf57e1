// The windows as a screen reader gets them, in process: names, roles, states and actions through
// Qt's accessible interfaces, only the shown page in the tree, the count's change announced; and
// the texts' contrast in pictures rendered under dark system palettes.
#include "app/DataGrid.h"
#include "app/Dialogs.h"
#include "app/LinkLabel.h"
#include "app/ReadableColours.h"
#include "windows/UTESTE.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QHash>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>

#include <functional>

#include "support/TinyClassification.h"
#include "support/WindowDriver.h"

namespace
{

// Every interface under root, depth first, as a reader walking the tree reaches them.
void walk(QAccessibleInterface *root, const std::function<void(QAccessibleInterface *)> &visit, int depth = 0)
{
    if (!root || depth > 40)
        return;
    visit(root);
    for (int i = 0; i < root->childCount(); ++i)
        walk(root->child(i), visit, depth + 1);
}

QAccessibleInterface *of(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// The page of the main window's stack holding widget, or null outside the stack.
QWidget *pageOf(QWidget *widget)
{
    for (QWidget *w = widget; w && w->parentWidget(); w = w->parentWidget()) {
        if (w->parentWidget()->objectName() == QLatin1String("PgcPrincipal"))
            return w;
    }
    return nullptr;
}

// Brings the window to the page a case starts from: 0 home, 1 to 6 the structure page and then
// that many levels down its first rows, 7 the results of "cobre".
void reach(RunningWindow &r, int page)
{
    if (page == 7) {
        r.find<QLineEdit>(QStringLiteral("EdtPesquisa"))->setText(QStringLiteral("cobre"));
        QTest::mouseClick(r.find<QPushButton>(QStringLiteral("BtnPesquisa")), Qt::LeftButton);
    } else if (page > 0) {
        browseDown(r, QVector<int>(page - 1, 1));
    }
}

QPalette darkPalette()
{
    QPalette p;
    p.setColor(QPalette::Window, QColor(0x31, 0x36, 0x3b));
    p.setColor(QPalette::WindowText, QColor(0xef, 0xf0, 0xf1));
    p.setColor(QPalette::Base, QColor(0x23, 0x26, 0x29));
    p.setColor(QPalette::AlternateBase, QColor(0x31, 0x36, 0x3b));
    p.setColor(QPalette::Text, QColor(0xef, 0xf0, 0xf1));
    p.setColor(QPalette::Button, QColor(0x31, 0x36, 0x3b));
    p.setColor(QPalette::ButtonText, QColor(0xef, 0xf0, 0xf1));
    p.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
    p.setColor(QPalette::HighlightedText, QColor(0xef, 0xf0, 0xf1));
    p.setColor(QPalette::Link, QColor(0x29, 0x80, 0xb9)); // too dark to read on the window
    return p;
}

QPalette highContrastPalette()
{
    QPalette p(Qt::white, Qt::black);
    p.setColor(QPalette::WindowText, Qt::white);
    p.setColor(QPalette::Text, Qt::white);
    p.setColor(QPalette::ButtonText, Qt::white);
    p.setColor(QPalette::Base, Qt::black);
    p.setColor(QPalette::Highlight, QColor(0x1a, 0xeb, 0xff));
    p.setColor(QPalette::HighlightedText, Qt::black);
    p.setColor(QPalette::Link, Qt::yellow);
    return p;
}

// The contrast of a text drawn in rect of the picture: its commonest colour is the background,
// the colour farthest from it the text.
double drawnContrast(const QImage &picture, const QRect &rect)
{
    QHash<QRgb, int> counts;
    const QRect inside = rect.intersected(picture.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[picture.pixel(x, y)];
    }
    QRgb background = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            background = it.key();
        }
    }
    double best = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = std::max(best, contrastRatio(QColor(it.key()), QColor(background)));
    return best;
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void onlyTheShownPageAndEveryControlNamed_data();
    void onlyTheShownPageAndEveryControlNamed();
    void homePageCaptionsAndPictures();
    void linkPressedThroughItsActionAsClicked_data();
    void linkPressedThroughItsActionAsClicked();
    void linkFollowsOnlyPressWhenClickable();
    void gridsNamedByTitleAndCellsByColumn();
    void searchCountAndTextReadAndAnnounced();
    void notesReadAsTextUnderTheirHeadings();
    void helpWindowShownPageAndExamplesAsText();
    void messageBoxTextAndButtonRead();
    void textsReadableUnderDarkPalettes_data();
    void textsReadableUnderDarkPalettes();
    void darkPaletteChangesOnlyWhatDoesNotRead();
    void lightPaletteKeepsTheDesignedColours();

private:
    std::unique_ptr<RunningWindow> startTiny();

    dialogs::Recorder m_recorder;
    std::unique_ptr<DatabaseFolder> m_db;
};

void TestAccessibility::init()
{
    m_recorder = dialogs::Recorder();
    dialogs::installRecorder(&m_recorder);
    m_db = std::make_unique<DatabaseFolder>();
}

void TestAccessibility::cleanup()
{
    dialogs::installRecorder(nullptr);
    m_db.reset();
    QApplication::setPalette(QPalette());
}

std::unique_ptr<RunningWindow> TestAccessibility::startTiny()
{
    const QString failure = m_db->create(tiny::database());
    if (!failure.isEmpty())
        qFatal("%s", qPrintable(failure));
    auto r = startWindow(m_db->baseDirectory());
    if (!QTest::qWaitForWindowExposed(r->window.get()))
        qWarning("the window was not exposed");
    return r;
}

void TestAccessibility::onlyTheShownPageAndEveryControlNamed_data()
{
    QTest::addColumn<int>("page");
    for (int page = 0; page <= 7; ++page)
        QTest::newRow(qPrintable(QStringLiteral("page %1").arg(page))) << page;
}

void TestAccessibility::onlyTheShownPageAndEveryControlNamed()
{
    QFETCH(int, page);
    auto r = startTiny();
    reach(*r, page);
    QCOMPARE(r->page(), page);
    QWidget *shown = r->find<QStackedWidget>(QStringLiteral("PgcPrincipal"))->currentWidget();

    int reached = 0;
    walk(of(r->window.get()), [&](QAccessibleInterface *iface) {
        auto *widget = qobject_cast<QWidget *>(iface->object());
        if (!widget)
            return; // cells and headers of a grid
        ++reached;
        QWidget *itsPage = pageOf(widget);
        if (itsPage && itsPage != shown)
            QFAIL(qPrintable(widget->objectName() + QStringLiteral(" of hidden page ") +
                             itsPage->objectName()));
        const QAccessible::State state = iface->state();
        if (state.focusable && !state.invisible && widget->isVisible()) {
            QVERIFY2(!iface->text(QAccessible::Name).trimmed().isEmpty(),
                     qPrintable(widget->objectName() + QStringLiteral(" takes the focus without a name")));
        }
    });
    QVERIFY(reached > 10);
    // The stack's one child is the shown page, asked for by any index other than 0 it has none.
    QAccessibleInterface *stack = of(r->find<QStackedWidget>(QStringLiteral("PgcPrincipal")));
    QCOMPARE(stack->childCount(), 1);
    QCOMPARE(stack->child(0)->object(), shown);
    QVERIFY(!stack->child(1));
    QVERIFY(!stack->child(-1));
    QCOMPARE(stack->indexOfChild(of(shown)), 0);
    for (QWidget *hidden :
         shown->parentWidget()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (hidden != shown)
            QCOMPARE(stack->indexOfChild(of(hidden)), -1);
    }
    // Every widget that takes the focus on the shown page is reachable by the reader.
    for (QWidget *widget : shown->findChildren<QWidget *>()) {
        if (widget->isVisible() && widget->focusPolicy() != Qt::NoFocus && !widget->inherits("QScrollBar")) {
            QAccessibleInterface *iface = of(widget);
            QVERIFY2(iface && iface->text(QAccessible::Name).trimmed().size() > 0,
                     qPrintable(widget->objectName()));
        }
    }
}

void TestAccessibility::homePageCaptionsAndPictures()
{
    auto r = startTiny();
    auto *box = r->find<QLineEdit>(QStringLiteral("EdtPesquisa"));
    QCOMPARE(of(box)->text(QAccessible::Name), QStringLiteral("Pesquisar por Palavra Chave ou Código"));
    QCOMPARE(r->text(QStringLiteral("LblDescricaoPesquisa")),
             QStringLiteral("Pesquisar por Palavra Chave ou Código"));
    const auto labelledBy = of(box)->relations(QAccessible::Label);
    QCOMPARE(labelledBy.size(), 1);
    QCOMPARE(labelledBy.first().first->object()->objectName(), QStringLiteral("LblDescricaoPesquisa"));

    // On Linux a list's name is its choice; the reader names it by the caption it is labelled by.
    auto *editions = r->find<QComboBox>(QStringLiteral("CmbClassificacao"));
    QCOMPARE(editions->accessibleName(), QStringLiteral("Classificação"));
    const auto editionsLabelledBy = of(editions)->relations(QAccessible::Label);
    QCOMPARE(editionsLabelledBy.size(), 1);
    QCOMPARE(editionsLabelledBy.first().first->text(QAccessible::Name), QStringLiteral("Classificação"));
    for (const char *name : {"RdbCodigo", "RdbAlfabetica"}) {
        QAccessibleInterface *radio = of(r->find<QRadioButton>(QLatin1String(name)));
        QCOMPARE(radio->role(), QAccessible::RadioButton);
        QCOMPARE(radio->text(QAccessible::Description), QStringLiteral("Ordenado por"));
    }
    QCOMPARE(of(r->find<QRadioButton>(QStringLiteral("RdbCodigo")))->text(QAccessible::Name),
             QStringLiteral("Código"));

    QAccessibleInterface *logo = of(r->find<QLabel>(QStringLiteral("ImgLogo")));
    QCOMPARE(logo->text(QAccessible::Name), QStringLiteral("ZELT"));
    QCOMPARE(logo->role(), QAccessible::Graphic);
    QVERIFY(!logo->state().invisible);
    for (const char *name : {"ImgLinePrincipal", "ImgLine2", "LblDivisor"}) {
        QAccessibleInterface *decoration = of(r->find<QLabel>(QLatin1String(name)));
        QVERIFY2(decoration->state().invisible, name);
        QVERIFY2(decoration->text(QAccessible::Name).isEmpty(), name);
    }
    // The divider still shows between the header's links.
    QVERIFY(r->find<QLabel>(QStringLiteral("LblDivisor"))->isVisible());
    QCOMPARE(r->text(QStringLiteral("LblDivisor")), QStringLiteral("|"));
}

void TestAccessibility::linkPressedThroughItsActionAsClicked_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("text");
    QTest::newRow("help window") << 0 << "LblLinkCabecalho2"
                                 << "Pesquisa Avançada...";
    QTest::newRow("terms of use") << 0 << "LblLicenca"
                                  << "Direitos Autorais e Termo de Licença de Uso...";
    QTest::newRow("structure top") << 3 << "LblLinkCabecalho1"
                                   << "Topo da Estrutura...";
    QTest::newRow("new search") << 1 << "LblLinkNovaPesquisa"
                                << "Nova Pesquisa...";
    QTest::newRow("section of a subclass") << 6 << "LblCodSecao_TbsSubClasse"
                                           << "B";
    QTest::newRow("notes") << 2 << "LblNotasExplicativas_TbsSecao"
                           << "Notas Explicativas";
    QTest::newRow("activities") << 5 << "LblListarAtividades_TbsClasse"
                                << "Listar Atividades...";
}

void TestAccessibility::linkPressedThroughItsActionAsClicked()
{
    QFETCH(int, page);
    QFETCH(QString, link);
    QFETCH(QString, text);

    // Where a press leads: the page, the codes on show and the modal windows it opened.
    QStringList modals;
    m_recorder.onModal = [&modals](QDialog &dialog) { modals << dialog.windowTitle(); };
    const auto outcome = [&modals](RunningWindow &r) {
        return QStringList{QString::number(r.page()), r.window->nav.CodSecao, r.window->nav.CodDivisao,
                           r.window->nav.CodClasse}
               << modals;
    };

    auto clicked = startTiny();
    reach(*clicked, page);
    clickLink(clicked->find<LinkLabel>(link));
    const QStringList byClick = outcome(*clicked);
    clicked.reset();
    modals.clear();

    m_db = std::make_unique<DatabaseFolder>();
    auto pressed = startTiny();
    reach(*pressed, page);
    QAccessibleInterface *iface = of(pressed->find<LinkLabel>(link));
    QCOMPARE(iface->role(), QAccessible::Link);
    QCOMPARE(iface->text(QAccessible::Name), text);
    QVERIFY(iface->state().linked);
    QVERIFY(iface->state().focusable);
    QAccessibleActionInterface *actions = iface->actionInterface();
    QVERIFY(actions);
    QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(outcome(*pressed), byClick);
    QVERIFY(byClick.first() != QString::number(page) || !modals.isEmpty());
}

// Only Press follows a link, and only a link a person could click.
void TestAccessibility::linkFollowsOnlyPressWhenClickable()
{
    QStringList modals;
    m_recorder.onModal = [&modals](QDialog &dialog) { modals << dialog.windowTitle(); };
    auto r = startTiny();
    auto *help = r->find<LinkLabel>(QStringLiteral("LblLinkCabecalho2"));
    QAccessibleActionInterface *actions = of(help)->actionInterface();
    QVERIFY(actions);
    actions->doAction(QAccessibleActionInterface::setFocusAction());
    QCoreApplication::processEvents();
    QCOMPARE(modals, QStringList());
    QCOMPARE(r->page(), 0);

    help->setEnabled(false);
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(modals, QStringList());
    help->setEnabled(true);
    help->hide();
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(modals, QStringList());
    help->show();
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(modals.size(), 1);
}

void TestAccessibility::gridsNamedByTitleAndCellsByColumn()
{
    auto r = startTiny();
    reach(*r, 3);
    auto *grid = r->find<DataGrid>(QStringLiteral("DbgSecao"));
    QAccessibleInterface *table = of(grid);
    QCOMPARE(table->text(QAccessible::Name), QStringLiteral("Esta seção contém as seguintes divisões"));
    QAccessibleTableInterface *cells = table->tableInterface();
    QVERIFY(cells);
    QVERIFY(cells->rowCount() >= 1);
    const QStringList expected = {QStringLiteral("Código"), QStringLiteral("Descrição")};
    for (int column = 0; column < 2; ++column) {
        QAccessibleInterface *cell = cells->cellAt(0, column);
        QCOMPARE(cell->text(QAccessible::Name), grid->model()->index(0, column).data().toString());
        const auto headers = cell->tableCellInterface()->columnHeaderCells();
        QCOMPARE(headers.size(), 1);
        QCOMPARE(headers.first()->text(QAccessible::Name), expected[column]);
    }
    // The code is read before the description.
    QVERIFY(!cells->cellAt(0, 0)->text(QAccessible::Name).isEmpty());
    QVERIFY(cells->cellAt(0, 0)->rect().left() < cells->cellAt(0, 1)->rect().left());

    // The next level's grid is named by its own title; the results grid by what it lists.
    clickRow(grid, 0);
    QCOMPARE(of(r->find<DataGrid>(QStringLiteral("DbgDivisao")))->text(QAccessible::Name),
             QStringLiteral("Esta divisão contém os seguintes grupos"));
    QCOMPARE(of(r->find<DataGrid>(QStringLiteral("DbgPesquisa")))->text(QAccessible::Name),
             QStringLiteral("Atividades encontradas"));
    QCOMPARE(of(r->find<DataGrid>(QStringLiteral("DBGEstrutura")))->text(QAccessible::Name),
             QStringLiteral("Topo da Estrutura"));
    // The structure's count column is read under what it counts, though its shown title says less.
    QCOMPARE(r->find<DataGrid>(QStringLiteral("DBGEstrutura"))
                 ->model()
                 ->headerData(2, Qt::Horizontal, Qt::AccessibleTextRole)
                 .toString(),
             QStringLiteral("Divisões"));
}

void TestAccessibility::searchCountAndTextReadAndAnnounced()
{
    auto r = startTiny();
    reach(*r, 7);
    QCoreApplication::processEvents();
    auto *count = r->find<QLabel>(QStringLiteral("LblNumeroRegistros"));
    const QString found = count->text();
    QVERIFY(found.toInt() > 0);
    QCOMPARE(of(count)->text(QAccessible::Name), QStringLiteral("Registros Encontrados: ") + found);
    QCOMPARE(of(r->find<QLabel>(QStringLiteral("LblItemPesquisado")))->text(QAccessible::Name),
             QStringLiteral("Pesquisar por: COBRE"));

    // Another search from the home page renames the count once its text has changed.
    clickLink(r->find<LinkLabel>(QStringLiteral("LblLinkCabecalho2"))); // "Nova Pesquisa..."
    QCOMPARE(r->page(), 0);
    r->find<QLineEdit>(QStringLiteral("EdtPesquisa"))->setText(QStringLiteral("envelhecido"));
    QTest::mouseClick(r->find<QPushButton>(QStringLiteral("BtnPesquisa")), Qt::LeftButton);
    QCoreApplication::processEvents();
    QVERIFY(count->text() != found);
    QCOMPARE(of(count)->text(QAccessible::Name), QStringLiteral("Registros Encontrados: ") + count->text());
    QCOMPARE(of(r->find<QLabel>(QStringLiteral("LblItemPesquisado")))->text(QAccessible::Name),
             QStringLiteral("Pesquisar por: ENVELHECIDO"));
}

void TestAccessibility::notesReadAsTextUnderTheirHeadings()
{
    auto r = startTiny(); // the main window has described the program's widgets
    bool inspected = false;
    m_recorder.onModal = [&inspected](QDialog &dialog) {
        auto *note = dialog.findChild<QLabel *>(QStringLiteral("LblCompreende_Texto"));
        QAccessibleInterface *iface = of(note);
        QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Esta divisão compreende"));
        QCOMPARE(iface->text(QAccessible::Value), note->text());
        QAccessibleTextInterface *text = iface->textInterface();
        QVERIFY(text);
        QCOMPARE(text->text(0, text->characterCount()), note->text());
        QVERIFY(iface->state().focusable);
        QVERIFY(iface->state().selectableText);
        QVERIFY(iface->state().readOnly);
        QVERIFY(iface->state().multiLine);
        // The caret moves by the reader's request and the selection follows the label's own.
        text->setSelection(0, 2, 6);
        QCOMPARE(note->selectedText(), note->text().mid(2, 4));
        QCOMPARE(text->cursorPosition(), 6);
        int start = 0;
        int end = 0;
        QCOMPARE(text->textAtOffset(0, QAccessible::WordBoundary, &start, &end),
                 note->text().section(' ', 0, 0));
        inspected = true;
    };
    TFrmPopupNota popup;
    popup.MostraNotas(QString(), QStringLiteral("CCOMPRE 05 e outros"), QString(), QString(), QString(), 2);
    QVERIFY(inspected);
}

void TestAccessibility::helpWindowShownPageAndExamplesAsText()
{
    auto r = startTiny();
    bool inspected = false;
    m_recorder.onModal = [&inspected](QDialog &help) {
        QWidget *shown = help.findChild<QStackedWidget *>(QStringLiteral("PgcPrincipal"))->currentWidget();
        QCOMPARE(shown->objectName(), QStringLiteral("TbsPesquisaAvancada"));
        walk(of(&help), [shown](QAccessibleInterface *iface) {
            auto *widget = qobject_cast<QWidget *>(iface->object());
            QWidget *itsPage = widget ? pageOf(widget) : nullptr;
            if (itsPage && itsPage != shown)
                QFAIL(qPrintable(widget->objectName() + QStringLiteral(" of a hidden page")));
        });
        const auto memo = [&help](const char *name) {
            return of(help.findChild<QWidget *>(QLatin1String(name)));
        };
        QCOMPARE(memo("Memo6")->text(QAccessible::Name), QStringLiteral("Exemplo"));
        QCOMPARE(memo("Memo7")->text(QAccessible::Name), QStringLiteral("Busca"));
        QAccessibleTextInterface *examples = memo("Memo6")->textInterface();
        QVERIFY(examples);
        QVERIFY(examples->text(0, examples->characterCount()).contains(QStringLiteral("automov*")));
        QVERIFY(memo("ScrPesquisaAvancadaLinha1")->state().invisible);
        QCOMPARE(memo("Label5")->role(), QAccessible::Link);
        QCOMPARE(memo("Label5")->text(QAccessible::Name), QStringLiteral("Sobre a Pesquisa..."));
        inspected = true;
    };
    clickLink(r->find<LinkLabel>(QStringLiteral("LblLinkCabecalho2"))); // "Pesquisa Avançada..."
    QVERIFY(inspected);
}

// The program's own boxes, shown for real: their text and their button reach the reader.
void TestAccessibility::messageBoxTextAndButtonRead()
{
    dialogs::installRecorder(nullptr);
    QStringList texts;
    QTimer::singleShot(0, [&texts] {
        QWidget *box = QApplication::activeModalWidget();
        QVERIFY(box);
        walk(of(box), [&texts](QAccessibleInterface *iface) {
            if (!iface->state().invisible)
                texts << QString::number(iface->role()) + QLatin1Char(' ') + iface->text(QAccessible::Name);
        });
        QTest::keyClick(box, Qt::Key_Return);
    });
    dialogs::showWarning(nullptr, QStringLiteral("Esta Classificação está Congelada!"));
    QVERIFY2(texts.contains(QString::number(QAccessible::StaticText) +
                            QStringLiteral(" Esta Classificação está Congelada!")),
             qPrintable(texts.join(QLatin1Char('|'))));
    QVERIFY2(texts.contains(QString::number(QAccessible::Button) + QStringLiteral(" OK")),
             qPrintable(texts.join(QLatin1Char('|'))));
}

void TestAccessibility::textsReadableUnderDarkPalettes_data()
{
    QTest::addColumn<QPalette>("palette");
    QTest::addColumn<int>("page");
    for (int page : {0, 1, 3, 7}) {
        QTest::newRow(qPrintable(QStringLiteral("dark, page %1").arg(page))) << darkPalette() << page;
        QTest::newRow(qPrintable(QStringLiteral("high contrast, page %1").arg(page)))
            << highContrastPalette() << page;
    }
}

void TestAccessibility::textsReadableUnderDarkPalettes()
{
    QFETCH(QPalette, palette);
    QFETCH(int, page);
    QApplication::setPalette(palette);
    auto r = startTiny();
    reach(*r, page);
    QCoreApplication::processEvents();
    const QImage picture = r->window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const qreal ratio = picture.devicePixelRatio();

    int checked = 0;
    for (QLabel *label : r->window->findChildren<QLabel *>()) {
        if (!label->isVisible() || label->text().trimmed().isEmpty() || !label->pixmap().isNull())
            continue;
        const QRect rect(label->mapTo(r->window.get(), QPoint(0, 0)), label->size());
        const double contrast = drawnContrast(picture, QRect(rect.topLeft() * ratio, rect.size() * ratio));
        QVERIFY2(contrast >= 4.5, qPrintable(QStringLiteral("%1 \"%2\": %3:1")
                                                 .arg(label->objectName(), label->text())
                                                 .arg(contrast, 0, 'f', 2)));
        ++checked;
    }
    QVERIFY(checked >= 3);
    // Every grid's coloured columns, shown or not, read on the grid's own base.
    for (DataGrid *grid : r->window->findChildren<DataGrid *>()) {
        for (int column = 0; grid->model() && column < grid->model()->columnCount(); ++column) {
            const QColor designed = grid->columnColor(column);
            if (designed.isValid())
                QVERIFY2(contrastRatio(designed, grid->palette().color(QPalette::Base)) >= 4.5,
                         qPrintable(grid->objectName()));
        }
    }
    // The codes of a grid, on a row that is not selected.
    if (DataGrid *grid = page == 7 ? r->find<DataGrid>(QStringLiteral("DbgPesquisa")) : r->gridOfPage(page)) {
        QVERIFY(grid->model()->rowCount() >= 2);
        const int row = grid->currentIndex().row() == 1 ? 0 : 1;
        const QRect cell = grid->visualRect(grid->model()->index(row, 0));
        const QRect rect(grid->viewport()->mapTo(r->window.get(), cell.topLeft()), cell.size());
        const double contrast = drawnContrast(picture, QRect(rect.topLeft() * ratio, rect.size() * ratio));
        QVERIFY2(contrast >= 4.5, qPrintable(QStringLiteral("code cell: %1:1").arg(contrast, 0, 'f', 2)));
    }
}

// Designed colours that read under the system's dark scheme stay; the ones that do not take the
// system's own, each from the role it stands on.
void TestAccessibility::darkPaletteChangesOnlyWhatDoesNotRead()
{
    QPalette system = darkPalette();
    system.setColor(QPalette::Text, QColor(0xff, 0xff, 0x80)); // tells the two text roles apart
    QApplication::setPalette(system);

    QWidget window;
    QPalette designed = window.palette();
    designed.setColor(QPalette::Window, QColor(0x10, 0x20, 0x50)); // navy: the light text reads on it
    window.setPalette(designed);
    QWidget white(&window);
    QPalette paper = white.palette();
    paper.setColor(QPalette::Window, Qt::white);
    white.setPalette(paper);
    white.setAutoFillBackground(true);

    QLabel readable(QStringLiteral("legível"), &window);
    QPalette yellow = readable.palette();
    yellow.setColor(QPalette::WindowText, Qt::yellow);
    readable.setPalette(yellow);
    QLabel onItsOwnWindow(QStringLiteral("caixa"), &window);
    QPalette black = onItsOwnWindow.palette();
    black.setColor(QPalette::Window, QColor(0x10, 0x10, 0x10));
    black.setColor(QPalette::WindowText, QColor(0x20, 0x20, 0x20));
    onItsOwnWindow.setPalette(black);
    onItsOwnWindow.setAutoFillBackground(true);

    keepTextReadable(&window);
    QCOMPARE(window.palette().color(QPalette::Window), QColor(0x10, 0x20, 0x50));
    QCOMPARE(white.palette().color(QPalette::Window), system.color(QPalette::Window));
    QCOMPARE(readable.palette().color(QPalette::WindowText), QColor(Qt::yellow));
    // A label painting its own window colour takes the window's text, not the boxes' text.
    QCOMPARE(onItsOwnWindow.palette().color(QPalette::WindowText), system.color(QPalette::WindowText));
}

void TestAccessibility::lightPaletteKeepsTheDesignedColours()
{
    auto r = startTiny();
    QCOMPARE(r->find<LinkLabel>(QStringLiteral("LblNotasExplicativas_TbsSecao"))
                 ->palette()
                 .color(QPalette::WindowText),
             QColor(0, 0, 255));
    QCOMPARE(r->window->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(r->find<DataGrid>(QStringLiteral("DbgPesquisa"))->columnColor(0), QColor(0, 0, 255));
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
