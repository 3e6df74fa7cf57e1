#include "app/DataGrid.h"
#include "app/Dialogs.h"
#include "app/LinkLabel.h"
#include "data/UDtmMain.h"
#include "windows/ReflowingMemo.h"
#include "windows/UFrmPopup.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFile>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <functional>

#include "support/TestDatabase.h"

#include <sqlite3.h>

namespace
{

QString pageShown(QDialog &window)
{
    return window.findChild<QStackedWidget *>(QStringLiteral("PgcPrincipal"))->currentWidget()->objectName();
}

LinkLabel *link(QDialog &window, const QString &name)
{
    return window.findChild<LinkLabel *>(name);
}

void click(QDialog &window, const QString &name)
{
    QTest::mouseClick(link(window, name), Qt::LeftButton, {}, QPoint(2, 2));
}

// Opens a help window on a page and runs inspect on it while it is on screen; returns the
// recorder's errors.
QStringList openHelp(TDtmMain &dtm, int pagina, const std::function<void(QDialog &)> &inspect)
{
    dialogs::Recorder recorder;
    recorder.onModal = [&](QDialog &window) {
        QApplication::processEvents();
        inspect(window);
    };
    dialogs::installRecorder(&recorder);
    TFrmPopup help(dtm);
    help.AbrePagina(pagina);
    dialogs::installRecorder(nullptr);
    return recorder.errors;
}

// The data module connected to a small database of its own, made of the given statements.
struct Synonyms {
    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("ZELT.mdb"));
    TDtmMain dtm;

    explicit Synonyms(const QStringList &statements)
    {
        const QString failure = testdb::createSqlite(path, statements);
        if (!failure.isEmpty())
            qFatal("cannot create the test database: %s", qPrintable(failure));
        dtm.ADCMain.setConnectionString(testdb::connectionStringFor(path));
        dtm.ADCMain.open();
    }

    // Changes the file behind the open connection, as another program would.
    bool change(const char *statements)
    {
        sqlite3 *db = nullptr;
        bool ok = sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK &&
                  sqlite3_exec(db, statements, nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(db);
        return ok;
    }
};

const QString kCreateSynonyms =
    QStringLiteral("CREATE TABLE ZELT_Sinonimo (PALAVRA_SIN TEXT, SINONIMO_SIN TEXT)");

} // namespace

class TestHelpWindow : public QObject
{
    Q_OBJECT
private slots:
    void opensOnRequestedPage_data();
    void opensOnRequestedPage();
    void linksMoveBetweenPages_data();
    void linksMoveBetweenPages();
    void closeLinksEndTheWindow_data();
    void closeLinksEndTheWindow();
    void hoverUnderlinesOnlyThatLink_data();
    void hoverUnderlinesOnlyThatLink();
    void synonymPageReopensItsQuery();
    void emptySynonymTableShowsTitlesOnly();
    void missingSynonymTableIsReported();
    void memosHoldTheirLines_data();
    void memosHoldTheirLines();
    void termsAreSixParagraphs();
    void growsWithTheWindow();
    void textsFlowOverTheWidth();
    void flowKeepsLineEndsAndParagraphs();
};

void TestHelpWindow::opensOnRequestedPage_data()
{
    QTest::addColumn<int>("pagina");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("page");

    QTest::newRow("terms") << 1 << "Licença"
                           << "TbsLicenca";
    QTest::newRow("about") << 2 << "Sobre a Pesquisa"
                           << "TbsSobrePesquisa";
    QTest::newRow("advanced") << 3 << "Pesquisa Avançada"
                              << "TbsPesquisaAvancada";
}

void TestHelpWindow::opensOnRequestedPage()
{
    QFETCH(int, pagina);
    QFETCH(QString, caption);
    QFETCH(QString, page);

    TDtmMain dtm;
    const QStringList errors = openHelp(dtm, pagina, [&](QDialog &window) {
        QCOMPARE(window.windowTitle(), caption);
        QCOMPARE(pageShown(window), page);
        QCOMPARE(window.size(), QSize(488, 359));
        QCOMPARE(window.minimumSize(), QSize(488, 359));
        QCOMPARE(window.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
        QVERIFY(window.windowFlags() & Qt::WindowMaximizeButtonHint);
        QVERIFY(!window.windowIcon().isNull());
        // The advanced-search page is taller than the window and scrolls.
        auto *scroll = window.findChild<QScrollArea *>(QStringLiteral("ScrPesquisaAvancada"));
        if (pagina == 3)
            QVERIFY(scroll->verticalScrollBar()->maximum() > 0);
    });
    QCOMPARE(errors, QStringList());
}

void TestHelpWindow::linksMoveBetweenPages_data()
{
    QTest::addColumn<int>("pagina");
    QTest::addColumn<QStringList>("links");
    QTest::addColumn<QStringList>("pages"); // the page shown after each click

    QTest::newRow("from about to synonyms and back")
        << 2 << QStringList{"Label8", "Label14", "Label22", "Label5"}
        << QStringList{"TbsPesquisaAvancada", "TbsSinonimo", "TbsPesquisaAvancada", "TbsSobrePesquisa"};
    QTest::newRow("from advanced, twice to synonyms")
        << 3 << QStringList{"Label14", "Label22", "Label14"}
        << QStringList{"TbsSinonimo", "TbsPesquisaAvancada", "TbsSinonimo"};
}

// The caption is the one the window was opened with, whatever page the links lead to.
void TestHelpWindow::linksMoveBetweenPages()
{
    QFETCH(int, pagina);
    QFETCH(QStringList, links);
    QFETCH(QStringList, pages);

    Synonyms synonyms({kCreateSynonyms});
    const QStringList errors = openHelp(synonyms.dtm, pagina, [&](QDialog &window) {
        const QString caption = window.windowTitle();
        for (int i = 0; i < links.size(); ++i) {
            click(window, links[i]);
            QCOMPARE(pageShown(window), pages[i]);
            QCOMPARE(window.windowTitle(), caption);
            QVERIFY(window.isVisible());
        }
    });
    QCOMPARE(errors, QStringList());
}

void TestHelpWindow::closeLinksEndTheWindow_data()
{
    QTest::addColumn<int>("pagina");
    QTest::addColumn<QStringList>("links");

    QTest::newRow("terms") << 1 << QStringList{"LblLinkFecharJanela"};
    QTest::newRow("about") << 2 << QStringList{"Label3"};
    QTest::newRow("advanced") << 3 << QStringList{"Label12"};
    QTest::newRow("synonyms") << 3 << QStringList{"Label14", "Label23"};
}

void TestHelpWindow::closeLinksEndTheWindow()
{
    QFETCH(int, pagina);
    QFETCH(QStringList, links);

    Synonyms synonyms({kCreateSynonyms});
    bool closed = false;
    openHelp(synonyms.dtm, pagina, [&](QDialog &window) {
        for (const QString &name : links) {
            QVERIFY(window.isVisible());
            click(window, name);
        }
        closed = !window.isVisible();
    });
    QVERIFY(closed);
}

void TestHelpWindow::hoverUnderlinesOnlyThatLink_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("name");

    QTest::newRow("LblLinkFecharJanela") << 0 << "LblLinkFecharJanela";
    QTest::newRow("Label8") << 1 << "Label8";
    QTest::newRow("Label3") << 1 << "Label3";
    QTest::newRow("Label5") << 2 << "Label5";
    QTest::newRow("Label12") << 2 << "Label12";
    QTest::newRow("Label14") << 2 << "Label14";
    QTest::newRow("Label22") << 3 << "Label22";
    QTest::newRow("Label23") << 3 << "Label23";
}

// The hand comes from the form, so it is there before, during and after the hover; only the
// underline follows the pointer, and the colour never changes.
void TestHelpWindow::hoverUnderlinesOnlyThatLink()
{
    QFETCH(int, page);
    QFETCH(QString, name);

    TDtmMain dtm;
    TFrmPopup help(dtm);
    help.findChild<QStackedWidget *>(QStringLiteral("PgcPrincipal"))->setCurrentIndex(page);
    help.show();
    const QList<LinkLabel *> links = help.findChildren<LinkLabel *>();
    QCOMPARE(links.size(), 8);
    LinkLabel *hovered = link(help, name);
    const QColor blue(0, 0, 255);

    const auto check = [&](bool underlined) {
        for (LinkLabel *other : links) {
            QCOMPARE(other->font().underline(), other == hovered && underlined);
            QCOMPARE(other->cursor().shape(), Qt::PointingHandCursor);
            QCOMPARE(other->palette().color(QPalette::WindowText), blue);
        }
    };
    check(false);
    const QPointF at(2, 2);
    QEnterEvent enter(at, at, hovered->mapToGlobal(at));
    QApplication::sendEvent(hovered, &enter);
    QTest::mouseMove(hovered, QPoint(3, 3));
    check(true);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(hovered, &leave);
    check(false);
}

// Each visit reads the table as it stands, from its first row.
void TestHelpWindow::synonymPageReopensItsQuery()
{
    Synonyms synonyms({kCreateSynonyms, "INSERT INTO ZELT_Sinonimo VALUES ('COMERCIO', 'VENDA')",
                       "INSERT INTO ZELT_Sinonimo VALUES ('AUTOMOVEL', 'CARRO')"});
    Query &query = synonyms.dtm.QrySinonimo;
    int reloads = 0;
    connect(&query, &Query::aboutToReload, this, [&] { ++reloads; });

    const QStringList errors = openHelp(synonyms.dtm, 3, [&](QDialog &window) {
        auto *grid = window.findChild<DataGrid *>(QStringLiteral("DBGrid1"));
        click(window, QStringLiteral("Label14"));
        QCOMPARE(grid->model()->rowCount(), 2);
        QCOMPARE(grid->model()->index(1, 1).data().toString(), QStringLiteral("CARRO"));

        query.setCurrentRow(1);
        QVERIFY(
            synonyms.change("DELETE FROM ZELT_Sinonimo WHERE PALAVRA_SIN = 'COMERCIO'; "
                            "INSERT INTO ZELT_Sinonimo VALUES ('OFICINA', 'REPARACAO'), ('PADARIA', 'PAO')"));
        click(window, QStringLiteral("Label22"));
        const int before = reloads;
        click(window, QStringLiteral("Label14"));
        QVERIFY(reloads > before);
        QCOMPARE(grid->model()->rowCount(), 3);
        QCOMPARE(grid->model()->index(0, 0).data().toString(), QStringLiteral("AUTOMOVEL"));
        QCOMPARE(grid->model()->index(2, 1).data().toString(), QStringLiteral("PAO"));
        QCOMPARE(query.currentRow(), 0);
    });
    QCOMPARE(errors, QStringList());

    // A window opened later reopens it again; the query itself stays open in between.
    QVERIFY(query.isOpen());
    const int before = reloads;
    openHelp(synonyms.dtm, 3, [&](QDialog &window) { click(window, QStringLiteral("Label14")); });
    QVERIFY(reloads > before);
}

void TestHelpWindow::emptySynonymTableShowsTitlesOnly()
{
    Synonyms synonyms({kCreateSynonyms});
    const QStringList errors = openHelp(synonyms.dtm, 3, [&](QDialog &window) {
        click(window, QStringLiteral("Label14"));
        auto *grid = window.findChild<DataGrid *>(QStringLiteral("DBGrid1"));
        QCOMPARE(grid->model()->rowCount(), 0);
        QCOMPARE(grid->model()->columnCount(), 2);
        QVERIFY(grid->horizontalHeader()->isVisible());
        QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("PALAVRA"));
        QCOMPARE(grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("SINONIMO"));
        QCOMPARE(grid->columnWidth(0), 201);
        QCOMPARE(grid->columnWidth(1), 196);
    });
    QCOMPARE(errors, QStringList());
}

// The error stops the visit at the failing step and is shown; the window stays usable.
void TestHelpWindow::missingSynonymTableIsReported()
{
    Synonyms synonyms({"CREATE TABLE Outra (x TEXT)"});
    bool stillOpen = false;
    const QStringList errors = openHelp(synonyms.dtm, 3, [&](QDialog &window) {
        click(window, QStringLiteral("Label14"));
        QCOMPARE(pageShown(window), QStringLiteral("TbsSinonimo"));
        click(window, QStringLiteral("Label22"));
        QCOMPARE(pageShown(window), QStringLiteral("TbsPesquisaAvancada"));
        stillOpen = window.isVisible();
    });
    QCOMPARE(errors.size(), 1);
    QVERIFY(stillOpen);
}

void TestHelpWindow::memosHoldTheirLines_data()
{
    QTest::addColumn<QString>("memo");
    QTest::addColumn<QStringList>("lines");

    // Trailing blanks, empty last lines and the quotes inside lines are part of the texts.
    QTest::newRow("Memo2")
        << "Memo2"
        << QStringList{"O conjunto de descrições do sistema de busca foi atualizado em janeiro de ",
                       "2002 e será sistematicamente revisto nos meses de junho e novembro."};
    QTest::newRow("Memo3") << "Memo3"
                           << QStringList{
                                  "Como procedimento geral o sistema de busca identifica todas as ",
                                  "descrições que contêm o conjunto das palavras digitadas, exceto as ",
                                  "preposições e palavras de ligação, independentemente da posição no ",
                                  "texto.", ""};
    QTest::newRow("Memo4")
        << "Memo4"
        << QStringList{"Com intuito de melhorar o resultado das buscas no banco de atividades, o ",
                       "aplicativo utiliza uma tabela de sinônimos que possibilita um resultado mais ",
                       "abrangente da busca. Na tabela de sinônimos Comercio tem como um dos ",
                       "sinônimos Venda. Caso o usuário pesquise por exemplo venda de carros, ",
                       "além dos registros com a essa combinação , o aplicativo disponibiliza ",
                       "também os os que contém a combinação comercio de carros.",
                       ""};
    QTest::newRow("Memo5") << "Memo5"
                           << QStringList{
                                  "Para encontrar palavras que podem estar no singular ou no plural ou ",
                                  "palavras compostas, pode ser utilizado o caractere \" * \" significando ",
                                  "qualquer início ou término de palavra.", ""};
    QTest::newRow("Memo6") << "Memo6" << QStringList{"automov*", "*roubo", "*mercad*"};
    QTest::newRow("Memo7") << "Memo7"
                           << QStringList{"automóveis e automóvel",
                                          "roubo e anti-roubo",
                                          "supermercado; minimercados; ",
                                          "mercadorias; mercados",
                                          "",
                                          ""};
    QTest::newRow("Memo8") << "Memo8"
                           << QStringList{
                                  "Não se aplica o uso do asterisco para palavras contidas na tabela de ",
                                  "sinônimos. O resultado de VEND* CARROS é diferente do resultado de ",
                                  "VENDA CARROS. ", "", ""};
    QTest::newRow("Memo9") << "Memo9"
                           << QStringList{
                                  "O sistema de busca permite a inclusão ou exclusão de palavras através ",
                                  "dos operadores \"+\" \"-\". Digitando \"+\" antes das palavras força sua ",
                                  "inclusão e digitando \"-\" força sua exclusão."};
    QTest::newRow("Memo10") << "Memo10" << QStringList{"+reatores -nucleares"};
    QTest::newRow("Memo11") << "Memo11" << QStringList{"reatores para lâmpadas.", "", ""};
}

void TestHelpWindow::memosHoldTheirLines()
{
    QFETCH(QString, memo);
    QFETCH(QStringList, lines);

    TDtmMain dtm;
    TFrmPopup help(dtm);
    QCOMPARE(help.findChild<QPlainTextEdit *>(memo)->toPlainText().split(QLatin1Char('\n')), lines);
}

void TestHelpWindow::termsAreSixParagraphs()
{
    TDtmMain dtm;
    TFrmPopup help(dtm);
    const QStringList lines =
        help.findChild<QPlainTextEdit *>(QStringLiteral("Memo1"))->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 11);
    for (int i = 0; i < lines.size(); ++i)
        QCOMPARE(lines[i].trimmed().isEmpty(), i % 2 == 1);
}

// Enlarged, the window gives its width to the texts and rules, moves the top links to its right
// edge and its height to the synonym table; the advanced-search page scrolls while it is taller
// than the window, down to its last example.
void TestHelpWindow::growsWithTheWindow()
{
    Synonyms synonyms({kCreateSynonyms});
    const QStringList errors = openHelp(synonyms.dtm, 3, [&](QDialog &window) {
        auto *scroll = window.findChild<QScrollArea *>(QStringLiteral("ScrPesquisaAvancada"));
        auto *memo = window.findChild<QPlainTextEdit *>(QStringLiteral("Memo4"));
        auto *example = window.findChild<QPlainTextEdit *>(QStringLiteral("Memo6"));
        auto *last = window.findChild<QPlainTextEdit *>(QStringLiteral("Memo11"));
        QVERIFY(scroll->verticalScrollBar()->isVisible());
        QVERIFY(last->geometry().bottom() <= scroll->widget()->height());
        scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
        QApplication::processEvents();
        const QRect lastSeen(last->mapTo(scroll->viewport(), QPoint(0, 0)), last->size());
        QVERIFY(scroll->viewport()->rect().contains(lastSeen));
        const int memoWidth = memo->width();
        const int linkRight = link(window, QStringLiteral("Label12"))->geometry().right();
        const int exampleWidth = example->width();

        window.resize(1200, 900);
        QApplication::processEvents();
        QTRY_COMPARE(window.size(), QSize(1200, 900));
        QCOMPARE(scroll->verticalScrollBar()->maximum(), 0);
        const int gained = scroll->viewport()->width() - 488;
        QVERIFY2(gained > 600, qPrintable(QString::number(gained)));
        QVERIFY(memo->width() >= memoWidth + gained);
        QVERIFY(link(window, QStringLiteral("Label12"))->geometry().right() >= linkRight + gained);
        QCOMPARE(example->width(), exampleWidth);

        click(window, QStringLiteral("Label14")); // the synonym table
        QApplication::processEvents();
        auto *grid = window.findChild<DataGrid *>(QStringLiteral("DBGrid1"));
        QVERIFY2(grid->height() > 285 + 400, qPrintable(QString::number(grid->height())));
        QVERIFY(grid->geometry().bottom() < window.height());
    });
    QCOMPARE(errors, QStringList());
}

// The lines as laid out on screen: how many, and the widest.
static QPair<int, qreal> shownLines(QPlainTextEdit *memo)
{
    int count = 0;
    qreal widest = 0;
    for (QTextBlock block = memo->document()->begin(); block.isValid(); block = block.next()) {
        const QTextLayout *layout = block.layout();
        count += layout->lineCount();
        for (int i = 0; i < layout->lineCount(); ++i)
            widest = std::max(widest, layout->lineAt(i).naturalTextWidth());
    }
    return {count, widest};
}

// Enlarged, the texts written line for line flow over the width: fewer, wider lines with the same
// words; back at the designed size, the designed lines.
void TestHelpWindow::textsFlowOverTheWidth()
{
    Synonyms synonyms({kCreateSynonyms});
    const QStringList errors = openHelp(synonyms.dtm, 3, [&](QDialog &window) {
        for (const char *name : {"Memo4", "Memo9"}) {
            auto *memo = window.findChild<QPlainTextEdit *>(QLatin1String(name));
            const QString designed = memo->toPlainText();
            const auto [designedCount, designedWidest] = shownLines(memo);
            QVERIFY(designedWidest <= memo->viewport()->width());

            window.resize(1200, 900);
            QApplication::processEvents();
            const auto [count, widest] = shownLines(memo);
            QVERIFY2(count < designedCount, qPrintable(QStringLiteral("%1 lines").arg(count)));
            QVERIFY2(widest > designedWidest + 200, qPrintable(QString::number(widest)));
            QVERIFY(widest <= memo->viewport()->width());
            QCOMPARE(memo->toPlainText().simplified(), designed.simplified());

            window.resize(488, 359);
            QApplication::processEvents();
            QCOMPARE(memo->toPlainText(), designed);
            QCOMPARE(shownLines(memo).first, designedCount);
        }
    });
    QCOMPARE(errors, QStringList());
}

// Only a line that ends in a blank goes on in the next one: a line ended by its full stop, and a
// blank line between paragraphs, stay as written when the memo is wide.
void TestHelpWindow::flowKeepsLineEndsAndParagraphs()
{
    QPlainTextEdit memo;
    memo.setLineWrapMode(QPlainTextEdit::NoWrap);
    memo.resize(260, 160);
    memo.setPlainText(QStringLiteral("Uma frase que segue \nna linha seguinte.\nOutra linha inteira.\n\nFim "
                                     "do texto.\n"));
    new ReflowingMemo(&memo);
    memo.show();
    memo.resize(900, 160);
    QApplication::processEvents();
    QCOMPARE(memo.toPlainText(),
             QStringLiteral("Uma frase que segue na linha seguinte.\nOutra linha inteira.\n\n"
                            "Fim do texto.\n"));
}

QTEST_MAIN(TestHelpWindow)
#include "tst_helpwindow.moc"
