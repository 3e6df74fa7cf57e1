#include "app/DataGrid.h"
#include "app/Dialogs.h"
#include "app/LinkLabel.h"
#include "search/SearchHistory.h"
#include "takeaway/PagedPrint.h"
#include "takeaway/PrintedPage.h"

#include <QApplication>
#include <QClipboard>
#include <QJsonArray>
#include <QJsonObject>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QAbstractItemView>
#include <QCompleter>
#include <QMenu>
#include <QPrinter>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include "support/SpreadsheetReaders.h"
#include "support/TinyClassification.h"
#include "support/WindowDriver.h"

namespace
{

const QString kEdition = QStringLiteral("Alfa Teste");

// Two more activities of class 06202 beside the tiny tree's, one with a description that a
// spreadsheet would split or cut if it were written unquoted.
QStringList database()
{
    return tiny::database() +
           QStringList{
               QStringLiteral("INSERT INTO TST_1_ATIVIDADE VALUES ('B', '06', '062', '06202', '01', 2, "
                              "'Cobre; \"batido\"' || char(10) || 'à mão', '|cobre|batido|martelo|')"),
               QStringLiteral("INSERT INTO TST_1_ATIVIDADE VALUES ('B', '06', '062', '06202', '01', 3, "
                              "'Moinho de vento', '|moinho|vento|cobre|')"),
               // Markup characters a printed page must show as they are, not read as markup.
               QStringLiteral(
                   "UPDATE TST_1_SUBCLASSE SET DESCRICAO_SUB = 'Pás <b>largas</b> & hélices &amp; <i' "
                   "WHERE CODIGO_CLA = '06101' AND CODIGO_SUB = '01'")};
}

// The text of a PDF file as poppler reads it, lines kept apart.
QString pdfText(const QString &path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0)
        return QStringLiteral("<pdftotext failed: %1>").arg(pdftotext.errorString());
    // Poppler gives the "fi" ligature as one character.
    return QString::fromUtf8(pdftotext.readAllStandardOutput())
        .replace(QChar(0xFB01), QLatin1String("fi"))
        .simplified();
}

// The sheets of a PDF file, each as poppler reads it.
QStringList pdfSheets(const QString &path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0)
        return {QStringLiteral("<pdftotext failed: %1>").arg(pdftotext.errorString())};
    QStringList sheets = QString::fromUtf8(pdftotext.readAllStandardOutput()).split(QLatin1Char('\f'));
    for (QString &sheet : sheets)
        sheet = sheet.simplified();
    if (!sheets.isEmpty() && sheets.last().isEmpty())
        sheets.removeLast();
    return sheets;
}

// The text cells of an .xlsx's sheet, row by row, as openpyxl reads them.
QVector<QStringList> xlsxRows(const QString &path, const QString &sheet)
{
    QVector<QStringList> rows;
    const QJsonObject book = readXlsx(path);
    for (const QJsonValue &row : book.value(sheet).toObject().value(QStringLiteral("cells")).toArray()) {
        QStringList texts;
        for (const QJsonValue &cell : row.toArray())
            texts.append(cell.toArray().at(0).toString());
        rows.append(texts);
    }
    return rows;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestTakeaway : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void exportLinkSavesTheResults();
    void formatChoiceIsRemembered();
    void saveKeyExportsALevelList();
    void zeroResultsExportNothing();
    void keysOnTheStructurePage();
    void keysOnTheSubclassPage();
    void printedResultsAreATable();
    void severalRowsAreCopied();
    void failedExportSaysSoAndLeavesNothing();
    void cancelledExportWritesNothing();

    void hoveredResultExplainsItsMatch();
    void keyExplainsTheSelectedResult();

    void recentSearchesAreOffered();

    void printedLevelPageHoldsCodesAndNotes();
    void printLinkOfASubclassAndCancelling();
    void longPrintNumbersItsSheets();
    void printKeyOnEveryLevelPage_data();
    void printKeyOnEveryLevelPage();
    void markupPrintedAsWritten();
    void suggestedNameOfACodeWithASlash();
    void headingStaysWithItsText();
    void noteDoesNotRepeatItsHeading();
    void notesTakeTheFiveHeadedTexts();
    void printedItemStandsOutInBold();
    void sheetsFillDownToTheirFoot();
    void headingThatEndsTheTextPrints();

private:
    void search(const QString &text);

    DatabaseFolder m_folder;
    std::unique_ptr<RunningWindow> m_running;
    dialogs::Recorder m_recorder;
    std::unique_ptr<QTemporaryDir> m_out; // where the save dialog points, new for each test
    QString m_answer;                     // what the save dialog answers
    QString m_answerFilter;               // the format the save dialog picks, when not empty
    QString m_suggested;
    QStringList m_filters; // the save dialog's formats, and the one offered first
    QString m_offeredFilter;
    QTemporaryDir m_settings;
};

void TestTakeaway::initTestCase()
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
}

void TestTakeaway::init()
{
    m_out = std::make_unique<QTemporaryDir>();
    m_suggested.clear();
    m_answerFilter.clear();
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("ZELT"), QStringLiteral("ZELT"))
        .remove(QStringLiteral("Exportacao"));
    m_recorder = dialogs::Recorder();
    m_recorder.onPrint = [this](QPrinter &printer) {
        if (m_answer.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_answer);
        return true;
    };
    m_recorder.onSaveFile = [this](QFileDialog &dialog) {
        m_suggested = dialog.selectedFiles().value(0);
        m_filters = dialog.nameFilters();
        m_offeredFilter = dialog.selectedNameFilter();
        if (!m_answerFilter.isEmpty())
            dialog.selectNameFilter(m_answerFilter);
        return m_answer;
    };
    dialogs::installRecorder(&m_recorder);
    QCOMPARE(m_folder.create(database()), QString());
    m_running = startWindow(m_folder.baseDirectory());
    // Window-wide keys reach only the active window.
    m_running->window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_running->window.get()));
    pickEdition(*m_running, kEdition);
}

void TestTakeaway::cleanup()
{
    m_running.reset();
    dialogs::installRecorder(nullptr);
}

void TestTakeaway::search(const QString &text)
{
    m_running->find<QLineEdit>(QStringLiteral("EdtPesquisa"))->setText(text);
    QTest::mouseClick(m_running->find<QPushButton>(QStringLiteral("BtnPesquisa")), Qt::LeftButton);
    QCOMPARE(m_running->page(), 7);
}

void TestTakeaway::exportLinkSavesTheResults()
{
    search(QStringLiteral("cobre"));
    m_answer = m_out->filePath(QStringLiteral("resultado.xlsx"));
    auto *link = m_running->find<LinkLabel>(QStringLiteral("LblExportarResultados"));
    QVERIFY(link && link->isVisible());
    // The link stands clear of the count's whole box, so that a longer count never runs under it.
    const QRect count = m_running->find<QLabel>(QStringLiteral("LblNumeroRegistros"))->geometry();
    QVERIFY2(!link->geometry().intersects(count),
             qPrintable(QStringLiteral("link at x %1, count from %2 to %3")
                            .arg(link->x())
                            .arg(count.left())
                            .arg(count.right())));
    clickLink(link);

    QCOMPARE(m_recorder.modalCount, 1);
    QCOMPARE(m_filters, (QStringList{QStringLiteral("Planilha (*.xlsx)"), QStringLiteral("CSV (*.csv)")}));
    QCOMPARE(m_offeredFilter, QStringLiteral("Planilha (*.xlsx)"));
    QCOMPARE(QFileInfo(m_suggested).fileName(), QStringLiteral("pesquisa COBRE.xlsx"));
    QCOMPARE(m_recorder.errors, QStringList());
    const QString edition = kEdition;
    QCOMPARE(
        xlsxRows(m_answer, QStringLiteral("Resultados")),
        (QVector<QStringList>{
            {QStringLiteral("Código"), QStringLiteral("Descrição"), QStringLiteral("Palavras-chave"),
             QStringLiteral("Edição")},
            {QStringLiteral("0620-2"), QStringLiteral("Cobre de reserva"), QStringLiteral("cobre"), edition},
            {QStringLiteral("0620-2"), QStringLiteral("Cobre; \"batido\"\nà mão"),
             QStringLiteral("cobre, batido, martelo"), edition},
            {QStringLiteral("0620-2"), QStringLiteral("Envelhecimento de cata-vento de cobre"),
             QStringLiteral("envelhecimento, cobre"), edition},
            {QStringLiteral("0620-2"), QStringLiteral("Moinho de vento"),
             QStringLiteral("moinho, vento, cobre"), edition}}));
    const QVector<QStringList> about = xlsxRows(m_answer, QStringLiteral("Pesquisa"));
    QCOMPARE(about.value(0), (QStringList{QStringLiteral("Edição"), edition}));
    QVERIFY(about.contains({QStringLiteral("Texto pesquisado"), QStringLiteral("COBRE")}));
    QVERIFY(about.contains({QStringLiteral("Resultados"), QStringLiteral("4")}));
}

void TestTakeaway::formatChoiceIsRemembered()
{
    search(QStringLiteral("moinho"));
    // A name without extension takes the chosen format's.
    m_answer = m_out->filePath(QStringLiteral("resultado"));
    m_answerFilter = QStringLiteral("CSV (*.csv)");
    QTest::keyClick(m_running->window.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(m_recorder.errors, QStringList());
    QCOMPARE(readAll(m_answer + QStringLiteral(".csv")),
             QByteArray("\xEF\xBB\xBF") +
                 QStringLiteral("\"Código\";\"Descrição\";\"Palavras-chave\";\"Edição\"\r\n"
                                "\"0620-2\";\"Moinho de vento\";\"moinho, vento, cobre\";\"Alfa Teste\"\r\n")
                     .toUtf8());

    // The next export, in a later run too, offers CSV first, in the folder chosen.
    m_running.reset();
    m_running = startWindow(m_folder.baseDirectory());
    m_running->window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_running->window.get()));
    pickEdition(*m_running, kEdition);
    search(QStringLiteral("moinho"));
    m_answer.clear();
    m_answerFilter.clear();
    QTest::keyClick(m_running->window.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(m_offeredFilter, QStringLiteral("CSV (*.csv)"));
    QCOMPARE(m_suggested, m_out->filePath(QStringLiteral("pesquisa MOINHO.csv")));
}

void TestTakeaway::saveKeyExportsALevelList()
{
    browseDown(*m_running, {1}); // section B
    m_answer = m_out->filePath(QStringLiteral("secao.xlsx"));
    QTest::keyClick(m_running->window.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(QFileInfo(m_suggested).fileName(), QStringLiteral("secao B.xlsx"));
    QCOMPARE(xlsxRows(m_answer, QStringLiteral("Divisões")),
             (QVector<QStringList>{
                 {QStringLiteral("Código"), QStringLiteral("Descrição"), QStringLiteral("Edição")},
                 {QStringLiteral("05"), tiny::description(QStringLiteral("05")), kEdition},
                 {QStringLiteral("06"), tiny::description(QStringLiteral("06")), kEdition}}));
    // What the list is: the edition, then the section it belongs to.
    QVERIFY(xlsxRows(m_answer, QStringLiteral("Pesquisa"))
                .contains({QStringLiteral("Seção"),
                           QStringLiteral("B — ") + tiny::description(QStringLiteral("B"))}));
}

void TestTakeaway::failedExportSaysSoAndLeavesNothing()
{
    search(QStringLiteral("cobre"));
    m_answer = m_out->filePath(QStringLiteral("sem-pasta/resultado.xlsx"));
    QTest::keyClick(m_running->window.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(m_recorder.errors.size(), 1);
    QVERIFY2(m_recorder.errors[0].startsWith(QStringLiteral("Não foi possível gravar o arquivo")),
             qPrintable(m_recorder.errors[0]));
    QVERIFY(QDir(m_out->path()).isEmpty());
}

void TestTakeaway::cancelledExportWritesNothing()
{
    search(QStringLiteral("cobre"));
    m_answer.clear();
    clickLink(m_running->find<LinkLabel>(QStringLiteral("LblExportarResultados")));
    QCOMPARE(m_recorder.modalCount, 1);
    QCOMPARE(m_recorder.errors, QStringList());
    QVERIFY(QDir(m_out->path()).isEmpty());
}

void TestTakeaway::zeroResultsExportNothing()
{
    search(QStringLiteral("inexistente"));
    QCOMPARE(m_running->text(QStringLiteral("LblNumeroRegistros")), QStringLiteral("0"));
    m_answer = m_out->filePath(QStringLiteral("vazio.xlsx"));
    QTest::keyClick(m_running->window.get(), Qt::Key_S, Qt::ControlModifier);
    clickLink(m_running->find<LinkLabel>(QStringLiteral("LblExportarResultados")));
    QCOMPARE(m_recorder.warnings, (QStringList{QStringLiteral("Nenhum resultado para exportar."),
                                               QStringLiteral("Nenhum resultado para exportar.")}));
    QCOMPARE(m_recorder.modalCount, 0);
    QVERIFY(QDir(m_out->path()).isEmpty());
}

void TestTakeaway::keysOnTheStructurePage()
{
    QTest::mouseClick(m_running->find<QPushButton>(QStringLiteral("BtnEstrutura")), Qt::LeftButton);
    QCOMPARE(m_running->page(), 1);
    for (const char *name : {"LblExportar_TbsEstrutura", "LblImprimir_TbsEstrutura"})
        QVERIFY(m_running->find<LinkLabel>(QLatin1String(name))->isVisible());
    const QString a = tiny::description(QStringLiteral("A"));
    const QString b = tiny::description(QStringLiteral("B"));

    m_answer = m_out->filePath(QStringLiteral("estrutura.xlsx"));
    QTest::keyClick(m_running->window.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(m_recorder.errors, QStringList());
    QCOMPARE(xlsxRows(m_answer, QStringLiteral("Seções")),
             (QVector<QStringList>{
                 {QStringLiteral("Seção"), QStringLiteral("Da divisão"), QStringLiteral("Até a divisão"),
                  QStringLiteral("Descrição"), QStringLiteral("Edição")},
                 {QStringLiteral("A"), QStringLiteral("01"), QStringLiteral("01"), a, kEdition},
                 {QStringLiteral("B"), QStringLiteral("05"), QStringLiteral("06"), b, kEdition}}));

    m_answer = m_out->filePath(QStringLiteral("estrutura.pdf"));
    QTest::keyClick(m_running->window.get(), Qt::Key_P, Qt::ControlModifier);
    const QString text = pdfText(m_answer);
    for (const QString &expected :
         {QStringLiteral("Estrutura da classificação"), QStringLiteral("A 01 01 ") + a,
          QStringLiteral("B 05 06 ") + b, QStringLiteral("Página 1 de 1")})
        QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral("\n in \n") + text));

    QApplication::clipboard()->clear();
    auto *grid = m_running->find<DataGrid>(QStringLiteral("DBGEstrutura"));
    QVERIFY(grid->hasFocus());
    QTest::keyClick(grid, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("A\t%1\nB\t%2").arg(a, b));
}

void TestTakeaway::keysOnTheSubclassPage()
{
    browseDown(*m_running, {1, 1, 1, 1, 0}); // subclass 06202/01
    QCOMPARE(m_running->page(), 6);
    QVERIFY(m_running->find<LinkLabel>(QStringLiteral("LblExportarAtividades_TbsSubClasse"))->isVisible());

    m_answer = m_out->filePath(QStringLiteral("atividades.xlsx"));
    QTest::keyClick(m_running->window.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(m_recorder.errors, QStringList());
    QCOMPARE(QFileInfo(m_suggested).fileName(), QStringLiteral("atividades 0620-2-01.xlsx"));
    QCOMPARE(xlsxRows(m_answer, QStringLiteral("Atividades")),
             (QVector<QStringList>{{QStringLiteral("Código"), QStringLiteral("Descrição"),
                                    QStringLiteral("Palavras-chave"), QStringLiteral("Edição")},
                                   {QStringLiteral("0620-2/01"), QStringLiteral("Cobre; \"batido\"\nà mão"),
                                    QStringLiteral("cobre, batido, martelo"), kEdition},
                                   {QStringLiteral("0620-2/01"), QStringLiteral("Moinho de vento"),
                                    QStringLiteral("moinho, vento, cobre"), kEdition}}));

    // One line an activity, whatever line breaks its description holds.
    QApplication::clipboard()->clear();
    QTest::keyClick(m_running->window.get(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(),
             QStringLiteral("0620-2/01\tCobre; \"batido\" à mão\n0620-2/01\tMoinho de vento"));
}

void TestTakeaway::printedResultsAreATable()
{
    search(QStringLiteral("cobre"));
    auto *link = m_running->find<LinkLabel>(QStringLiteral("LblImprimirResultados"));
    QVERIFY(link && link->isVisible());
    m_answer = m_out->filePath(QStringLiteral("resultados.pdf"));
    clickLink(link);
    QCOMPARE(m_recorder.errors, QStringList());
    const QString text = pdfText(m_answer);
    for (const QString &expected :
         {QStringLiteral("Resultado da pesquisa"), QStringLiteral("Texto pesquisado: COBRE"),
          QStringLiteral("Edição: Alfa Teste"), QStringLiteral("Resultados: 4"),
          QStringLiteral("Código Descrição"), QStringLiteral("0620-2 Cobre de reserva"),
          QStringLiteral("0620-2 Moinho de vento"), QStringLiteral("Página 1 de 1")})
        QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral("\n in \n") + text));
    // The edition is printed once, above the list, not in every row.
    QCOMPARE(text.count(kEdition), 2); // the sheet's header and the list's own line

    // Ctrl+P prints the same page.
    m_answer = m_out->filePath(QStringLiteral("teclas.pdf"));
    QTest::keyClick(m_running->window.get(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(pdfText(m_answer), text);
}

void TestTakeaway::severalRowsAreCopied()
{
    search(QStringLiteral("cobre"));
    auto *grid = m_running->find<DataGrid>(QStringLiteral("DbgPesquisa"));
    const QStringList codes = columnTexts(grid, 0);
    const QStringList descriptions = columnTexts(grid, grid->model()->columnCount() - 1);
    QCOMPARE(codes.size(), 4);
    const auto lines = [&](std::initializer_list<int> rows) {
        QStringList texts;
        for (const int row : rows)
            texts.append(codes[row] + QLatin1Char('\t') + descriptions[row]);
        return texts.join(QLatin1Char('\n'));
    };
    const auto copied = [this, grid] {
        QApplication::clipboard()->clear();
        QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
        return QApplication::clipboard()->text();
    };

    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(copied(), lines({1, 2}));
    // Ctrl+click adds a row, and opens nothing.
    const QRect last = grid->visualRect(grid->model()->index(3, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, last.center());
    QCOMPARE(m_running->page(), 7);
    QCOMPARE(copied(), lines({1, 2, 3}));
    QTest::keyClick(grid, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(copied(), lines({0, 1, 2, 3}));
    // A plain move selects one row again.
    QTest::keyClick(grid, Qt::Key_Up);
    QCOMPARE(copied(), lines({2}));
}

// The tooltip the application shows when the pointer rests on a row.
QString tooltipOver(DataGrid *grid, int row)
{
    QToolTip::hideText();
    const QPoint at = grid->visualRect(grid->model()->index(row, 1)).center();
    QTest::mouseMove(grid->viewport(), at);
    QHelpEvent rest(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &rest);
    return QToolTip::isVisible() ? QToolTip::text() : QStringLiteral("<no tooltip>");
}

void TestTakeaway::hoveredResultExplainsItsMatch()
{
    search(QStringLiteral("*obre -martelo"));
    auto *grid = m_running->find<DataGrid>(QStringLiteral("DbgPesquisa"));
    QCOMPARE(columnTexts(grid, 1), (QStringList{QStringLiteral("Cobre de reserva"),
                                                QStringLiteral("Envelhecimento de cata-vento de cobre"),
                                                QStringLiteral("Moinho de vento")}));
    const QString tip = tooltipOver(grid, 2);
    QVERIFY2(tip.startsWith(QStringLiteral("<p><b>Moinho de vento</b></p>")), qPrintable(tip));
    QVERIFY2(tip.contains(QStringLiteral("Palavras-chave: moinho, vento, <b><u>cobre</u></b>")),
             qPrintable(tip));
    QVERIFY2(tip.contains(QStringLiteral("<i>*obre</i> — palavra-chave que termina em “obre”: <b>cobre</b>")),
             qPrintable(tip));
    QVERIFY2(tip.contains(QStringLiteral("<i>-martelo</i> — não tem a palavra-chave “martelo”")),
             qPrintable(tip));
    // Each row is explained with its own keywords.
    QVERIFY2(
        tooltipOver(grid, 1).contains(QStringLiteral("Palavras-chave: envelhecimento, <b><u>cobre</u></b>")),
        qPrintable(QToolTip::text()));
}

void TestTakeaway::keyExplainsTheSelectedResult()
{
    search(QStringLiteral("0620-2/01"));
    auto *grid = m_running->find<DataGrid>(QStringLiteral("DbgPesquisa"));
    QCOMPARE(grid->model()->rowCount(), 2);
    grid->setFocus();
    QToolTip::hideText();
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_I, Qt::ControlModifier);
    QVERIFY(QToolTip::isVisible());
    QVERIFY2(QToolTip::text().contains(QStringLiteral("Palavras-chave: moinho, vento, cobre")),
             qPrintable(QToolTip::text()));
    QVERIFY2(
        QToolTip::text().endsWith(QStringLiteral("<i>0620-2/01</i> — o código da subclasse 0620-2/01</p>")),
        qPrintable(QToolTip::text()));
}

// The searches the completion list of the box offers, in its order, after Down.
QStringList offeredAfterDown(QLineEdit *box)
{
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Down);
    QCompleter *completer = box->completer();
    if (!completer->popup()->isVisible())
        return {};
    QStringList offered;
    for (int row = 0; row < completer->completionCount(); ++row) {
        completer->setCurrentRow(row);
        offered.append(completer->currentCompletion());
    }
    QTest::keyClick(completer->popup(), Qt::Key_Escape);
    return offered;
}

void TestTakeaway::recentSearchesAreOffered()
{
    SearchHistory().clear();
    m_running.reset();
    m_running = startWindow(m_folder.baseDirectory());
    auto *box = m_running->find<QLineEdit>(QStringLiteral("EdtPesquisa"));
    QCOMPARE(offeredAfterDown(box), QStringList());

    for (const char *text : {"cobre", "moinho", "Cobre"}) {
        search(QString::fromUtf8(text));
        clickLink(m_running->find<LinkLabel>(QStringLiteral("LblLinkCabecalho2"))); // "Nova Pesquisa..."
    }
    // "Listar Atividades..." searches a code the user did not type: not offered.
    browseDown(*m_running, {1, 1, 1, 1});
    clickLink(m_running->find<LinkLabel>(QStringLiteral("LblListarAtividades_TbsClasse")));
    QCOMPARE(m_running->page(), 7);
    clickLink(m_running->find<LinkLabel>(QStringLiteral("LblLinkCabecalho2")));
    QCOMPARE(offeredAfterDown(box), (QStringList{QStringLiteral("Cobre"), QStringLiteral("moinho")}));

    // Typing narrows the list to the searches that hold the text.
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("nh"));
    QVERIFY(box->completer()->popup()->isVisible());
    QCOMPARE(box->completer()->completionCount(), 1);
    QCOMPARE(box->completer()->currentCompletion(), QStringLiteral("moinho"));
    // Enter searches what is typed while the list is open, as without it.
    QTest::keyClick(box->completer()->popup(), Qt::Key_Return);
    QCOMPARE(m_running->page(), 7);
    QCOMPARE(m_running->text(QStringLiteral("LblItemPesquisado")), QStringLiteral("NH"));

    // A new run offers them again; the box's context menu clears them, for later runs too.
    m_running.reset();
    m_running = startWindow(m_folder.baseDirectory());
    box = m_running->find<QLineEdit>(QStringLiteral("EdtPesquisa"));
    QCOMPARE(offeredAfterDown(box),
             (QStringList{QStringLiteral("nh"), QStringLiteral("Cobre"), QStringLiteral("moinho")}));
    bool cleared = false;
    QTimer::singleShot(0, [&cleared] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QAction *clear =
            menu ? menu->findChild<QAction *>(QStringLiteral("LimparPesquisasRecentes")) : nullptr;
        if (clear && clear->isEnabled()) {
            clear->trigger();
            cleared = true;
        }
        if (menu)
            menu->close();
    });
    // What the application sends for a right click: QTest's clicks reach the box without it.
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5), box->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(box, &menuEvent);
    QVERIFY(cleared);
    QCOMPARE(offeredAfterDown(box), QStringList());
    QCOMPARE(SearchHistory().entries(), QStringList());
}

void TestTakeaway::printedLevelPageHoldsCodesAndNotes()
{
    browseDown(*m_running, {1, 1, 1, 1}); // class 06202
    m_answer = m_out->filePath(QStringLiteral("classe.pdf"));
    QTest::keyClick(m_running->window.get(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(m_recorder.modalCount, 1);
    QCOMPARE(m_recorder.errors, QStringList());

    const QString text = pdfText(m_answer);
    const auto d = [](const char *code) { return tiny::description(QLatin1String(code)); };
    for (const QString &expected :
         {QStringLiteral("Alfa Teste — base de dados de ") +
              QLocale(QLocale::Portuguese, QLocale::Brazil)
                  .toString(QDate(2024, 2, 1), QStringLiteral("MMMM 'de' yyyy")),
          QStringLiteral("Seção: B ") + d("B"), QStringLiteral("Divisão: 06"),
          QStringLiteral("Grupo: 062 ") + d("062"), QStringLiteral("Classe: 0620-2 ") + d("06202"),
          QStringLiteral("Esta Classe contém as seguintes subclasses:"),
          QStringLiteral("0620-2/01 ") + d("06202/01"), QStringLiteral("0620-2/02 ") + d("06202/02"),
          QStringLiteral("Esta classe compreende ") +
              tiny::notesOf(QStringLiteral("CCOMPRE"), QStringLiteral("06202")),
          QStringLiteral("Esta classe compreende também ") +
              tiny::notesOf(QStringLiteral("TCOMPRE"), QStringLiteral("06202")),
          QStringLiteral("Esta classe não compreende ") +
              tiny::notesOf(QStringLiteral("NCOMPRE"), QStringLiteral("06202")),
          QStringLiteral("Notas ") + tiny::notesOf(QStringLiteral("NOTAS"), QStringLiteral("06202")),
          QStringLiteral("Página 1 de 1")})
        QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral("\n in \n") + text));
    // A class has no general explanatory note; only a section does.
    QVERIFY(!text.contains(QStringLiteral("Notas Explicativas")));
}

void TestTakeaway::printLinkOfASubclassAndCancelling()
{
    browseDown(*m_running, {1, 1, 1, 1, 1}); // subclass 06202/02
    QCOMPARE(m_running->page(), 6);
    QVERIFY(!m_running->find<QWidget>(QStringLiteral("LblExportarLista_TbsSubClasse")));
    auto *link = m_running->find<LinkLabel>(QStringLiteral("LblImprimir_TbsSubClasse"));
    QVERIFY(link && link->isVisible());

    m_answer.clear(); // the print dialog is cancelled
    clickLink(link);
    QCOMPARE(m_recorder.modalCount, 1);
    QVERIFY(QDir(m_out->path()).isEmpty());

    m_answer = m_out->filePath(QStringLiteral("subclasse.pdf"));
    clickLink(link);
    const QString text = pdfText(m_answer);
    QVERIFY2(text.contains(QStringLiteral("Subclasse: 0620-2/02 ") +
                           tiny::description(QStringLiteral("06202/02"))),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Classe: 0620-2 ")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Esta subclasse compreende ") +
                           tiny::notesOf(QStringLiteral("CCOMPRE"), QStringLiteral("06202/02"))),
             qPrintable(text));

    // A file that cannot be written is reported, not printed halfway.
    m_answer = m_out->filePath(QStringLiteral("sem-pasta/subclasse.pdf"));
    clickLink(link);
    QCOMPARE(m_recorder.errors.size(), 1);
    QVERIFY2(m_recorder.errors[0].startsWith(QStringLiteral("Não foi possível gravar o arquivo")),
             qPrintable(m_recorder.errors[0]));
}

void TestTakeaway::longPrintNumbersItsSheets()
{
    QString html;
    for (int i = 1; i <= 150; ++i)
        html += QStringLiteral("<p>linha %1</p>").arg(i);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_out->filePath(QStringLiteral("longo.pdf")));
    QCOMPARE(printPaged(printer, html, QStringLiteral("Cabeçalho da edição")), QString());

    const QString text = pdfText(printer.outputFileName());
    const int sheets = text.count(QStringLiteral("Cabeçalho da edição"));
    QVERIFY2(sheets >= 2, qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Página %1 de %1").arg(sheets)));
    // Every line is printed once: none is lost or repeated at a sheet's edge.
    for (int i = 1; i <= 150; ++i)
        QCOMPARE(text.count(QRegularExpression(QStringLiteral("\\blinha %1\\b").arg(i))), 1);
}

void TestTakeaway::printKeyOnEveryLevelPage_data()
{
    QTest::addColumn<QVector<int>>("rows");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("heading");
    const auto d = [](const char *code) { return tiny::description(QLatin1String(code)); };
    QTest::newRow("structure") << QVector<int>{} << 1 << d("B");
    QTest::newRow("section") << QVector<int>{1} << 2 << QStringLiteral("Seção: B ") + d("B");
    QTest::newRow("division") << QVector<int>{1, 1} << 3 << QStringLiteral("Divisão: 06 ");
    QTest::newRow("group") << QVector<int>{1, 1, 1} << 4 << QStringLiteral("Grupo: 062 ") + d("062");
    QTest::newRow("class") << QVector<int>{1, 1, 1, 1} << 5 << QStringLiteral("Classe: 0620-2 ") + d("06202");
    QTest::newRow("subclass") << QVector<int>{1, 1, 1, 1, 1} << 6
                              << QStringLiteral("Subclasse: 0620-2/02 ") + d("06202/02");
}

// Ctrl+P prints the page on show, the structure and whichever level it is.
void TestTakeaway::printKeyOnEveryLevelPage()
{
    QFETCH(QVector<int>, rows);
    QFETCH(int, page);
    QFETCH(QString, heading);
    browseDown(*m_running, rows);
    QCOMPARE(m_running->page(), page);
    m_answer = m_out->filePath(QStringLiteral("nivel.pdf"));
    QTest::keyClick(m_running->window.get(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(m_recorder.errors, QStringList());
    QCOMPARE(m_recorder.modalCount, 1);
    const QString text = pdfText(m_answer);
    QVERIFY2(text.contains(heading), qPrintable(heading + QStringLiteral("\n in \n") + text));
}

// A description holding markup characters is printed as written, on its own page and in its
// class's list.
void TestTakeaway::markupPrintedAsWritten()
{
    const QString description = QStringLiteral("Pás <b>largas</b> & hélices &amp; <i");
    browseDown(*m_running, {1, 1, 0, 0}); // class 06101
    m_answer = m_out->filePath(QStringLiteral("classe.pdf"));
    QTest::keyClick(m_running->window.get(), Qt::Key_P, Qt::ControlModifier);
    QString text = pdfText(m_answer);
    QVERIFY2(text.contains(QStringLiteral("0610-1/01 ") + description), qPrintable(text));

    browseDown(*m_running, {1, 1, 0, 0, 0}); // its subclass
    m_answer = m_out->filePath(QStringLiteral("subclasse.pdf"));
    QTest::keyClick(m_running->window.get(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(m_recorder.errors, QStringList());
    text = pdfText(m_answer);
    QVERIFY2(text.contains(QStringLiteral("Subclasse: 0610-1/01 ") + description), qPrintable(text));
}

// The name the save dialog suggests for results of a code search is one file in the folder it
// opens, not a path into a folder named after the code's first part.
void TestTakeaway::suggestedNameOfACodeWithASlash()
{
    search(QStringLiteral("0620-2/02"));
    m_answer.clear(); // the dialog is cancelled
    clickLink(m_running->find<LinkLabel>(QStringLiteral("LblExportarResultados")));
    QCOMPARE(m_recorder.modalCount, 1);
    const QFileInfo suggested(m_suggested);
    QCOMPARE(suggested.absolutePath(), QDir::homePath());
    QVERIFY2(suggested.suffix() == QLatin1String("xlsx"), qPrintable(m_suggested));
    QVERIFY2(suggested.completeBaseName().contains(QLatin1String("0620-2")) &&
                 suggested.completeBaseName().endsWith(QLatin1String("02")),
             qPrintable(m_suggested));
}

// A heading at a sheet's foot moves to the next sheet with its text, wherever the list above it
// ends; nothing is lost or printed twice.
void TestTakeaway::headingStaysWithItsText()
{
    PrintedPage page;
    page.heading = QStringLiteral("Classificação de teste");
    page.hierarchy = {{QStringLiteral("Classe"), QStringLiteral("0620-2"), QStringLiteral("Moagem eólica")}};
    page.childrenTitle = QStringLiteral("Subclasses");
    page.notes = {{QStringLiteral("Esta classe compreende"),
                   QStringLiteral("primeira linha\nsegunda linha\nterceira linha\nquarta linha")}};
    int atTheFoot = 0;
    int twoLinesAtTheFoot = 0;
    for (int children = 30; children <= 80; ++children) {
        page.children.clear();
        for (int i = 1; i <= children; ++i)
            page.children.append(
                {QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("filho")});
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_out->filePath(QStringLiteral("notas-%1.pdf").arg(children)));
        QCOMPARE(printPaged(printer, printedPageHtml(page), QStringLiteral("Cabeçalho")), QString());

        const QStringList sheets = pdfSheets(printer.outputFileName());
        const QString all = sheets.join(QLatin1Char(' '));
        QCOMPARE(all.count(QStringLiteral("Esta classe compreende")), 1);
        for (const char *line : {"primeira linha", "segunda linha", "terceira linha", "quarta linha"})
            QVERIFY2(all.count(QLatin1String(line)) == 1,
                     qPrintable(QStringLiteral("%1 children: %2")
                                    .arg(children)
                                    .arg(sheets.join(QStringLiteral("\n----\n")))));
        for (const QString &sheet : sheets) {
            if (sheet.contains(QStringLiteral("Esta classe compreende"))) {
                QVERIFY2(sheet.contains(QStringLiteral("segunda linha")),
                         qPrintable(QStringLiteral("%1 children: %2").arg(children).arg(sheet)));
                if (sheet.startsWith(QStringLiteral("Cabeçalho Esta classe compreende")))
                    ++atTheFoot; // the heading opens its sheet
                else if (!sheet.contains(QStringLiteral("terceira linha")))
                    ++twoLinesAtTheFoot; // the heading and two lines end their sheet
            }
        }
    }
    // Some of the lengths did bring the heading to a sheet's edge; where two lines of its text
    // still fit under it, it stays there.
    QVERIFY(atTheFoot > 0);
    QVERIFY(twoLinesAtTheFoot > 0);
}

void TestTakeaway::noteDoesNotRepeatItsHeading()
{
    const QVector<PrintedPage::Note> notes = printedNotes(
        1, {QString(), QStringLiteral("Esta seção compreende:\nlavoura lunar\npesca estelar"),
            QStringLiteral("ESTA SEÇÃO COMPREENDE TAMBÉM\n"),
            QStringLiteral("Esta seção não compreende a mineração de cometas"), QStringLiteral("  \n \t ")});
    // A note of spaces and line breaks only is no note.
    QCOMPARE(notes.size(), 2);
    QCOMPARE(notes[0].heading, QStringLiteral("Esta seção compreende"));
    QCOMPARE(notes[0].text, QStringLiteral("lavoura lunar\npesca estelar"));
    // A first line that goes on past the heading is the note's own text.
    QCOMPARE(notes[1].heading, QStringLiteral("Esta seção não compreende"));
    QCOMPARE(notes[1].text, QStringLiteral("Esta seção não compreende a mineração de cometas"));
}

// The five note texts go under their five headings, in order; a text past them has no heading and
// is not printed, and fewer texts print what there is.
void TestTakeaway::notesTakeTheFiveHeadedTexts()
{
    QStringList texts;
    for (const char *text : {"cultivo de nuvens", "pesca em anéis", "poda de asteroides", "lavagem de luas",
                             "tingimento de auroras", "texto sem título"})
        texts.append(QString::fromUtf8(text));
    const QVector<PrintedPage::Note> notes = printedNotes(3, texts);
    QStringList printed;
    for (const PrintedPage::Note &note : notes)
        printed.append(note.heading + QLatin1Char(':') + note.text);
    QCOMPARE(printed, QStringList({QStringLiteral("Notas Explicativas:cultivo de nuvens"),
                                   QStringLiteral("Este grupo compreende:pesca em anéis"),
                                   QStringLiteral("Este grupo compreende também:poda de asteroides"),
                                   QStringLiteral("Este grupo não compreende:lavagem de luas"),
                                   QStringLiteral("Notas:tingimento de auroras")}));
    const QVector<PrintedPage::Note> two = printedNotes(3, texts.mid(0, 2));
    QCOMPARE(two.size(), 2);
    QCOMPARE(two[1].heading, QStringLiteral("Este grupo compreende"));
}

// On a level page the item's own line stands out in bold; its ancestors' lines do not.
void TestTakeaway::printedItemStandsOutInBold()
{
    PrintedPage page;
    page.heading = QStringLiteral("Classificação de teste");
    page.hierarchy = {
        {QStringLiteral("Seção"), QStringLiteral("Q"), QStringLiteral("Lavoura lunar")},
        {QStringLiteral("Divisão"), QStringLiteral("77"), QStringLiteral("Cultivo de crateras")},
        {QStringLiteral("Grupo"), QStringLiteral("771"), QStringLiteral("Cultivo à sombra")}};
    // The document the sheets are painted from.
    QTextDocument document;
    document.setHtml(printedPageHtml(page));
    const auto bold = [&document](const QString &text) {
        const QTextCursor found = document.find(text);
        if (found.isNull())
            return QStringLiteral("<%1 not printed>").arg(text);
        return found.charFormat().fontWeight() >= QFont::Bold ? QStringLiteral("bold")
                                                              : QStringLiteral("plain");
    };
    QCOMPARE(bold(QStringLiteral("Lavoura lunar")), QStringLiteral("plain"));
    QCOMPARE(bold(QStringLiteral("Cultivo de crateras")), QStringLiteral("plain"));
    QCOMPARE(bold(QStringLiteral("Grupo:")), QStringLiteral("bold"));
    QCOMPARE(bold(QStringLiteral("771")), QStringLiteral("bold"));
    QCOMPARE(bold(QStringLiteral("Cultivo à sombra")), QStringLiteral("bold"));
}

// The words of a PDF file's sheets with their boxes, as poppler places them (points, from the top).
struct PdfWord {
    int sheet;
    QString text;
    double top;
    double bottom;
};

QVector<PdfWord> pdfWords(const QString &path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0)
        return {};
    const QString xhtml = QString::fromUtf8(pdftotext.readAllStandardOutput());
    static const QRegularExpression tag(QStringLiteral(
        "<page |<word xMin=\"[^\"]*\" yMin=\"([^\"]*)\" xMax=\"[^\"]*\" yMax=\"([^\"]*)\">([^<]*)</word>"));
    QVector<PdfWord> words;
    int sheet = 0;
    for (auto match = tag.globalMatch(xhtml); match.hasNext();) {
        const QRegularExpressionMatch m = match.next();
        if (m.captured(0).startsWith(QLatin1String("<page ")))
            ++sheet;
        else
            words.append({sheet, m.captured(3), m.captured(1).toDouble(), m.captured(2).toDouble()});
    }
    return words;
}

// A sheet that the text runs past is filled down to its foot: the gap above the page number is
// no wider than the gap under the header at the top, and the room of a line.
void TestTakeaway::sheetsFillDownToTheirFoot()
{
    QString html;
    for (int i = 1; i <= 150; ++i)
        html += QStringLiteral("<p style='margin-top:0; margin-bottom:0'>linha %1</p>").arg(i);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_out->filePath(QStringLiteral("cheio.pdf")));
    QCOMPARE(printPaged(printer, html, QStringLiteral("Cabeçalho da edição")), QString());

    double headerBottom = -1;
    double firstLineTop = -1;
    double lastLineBottom = -1;
    double lineHeight = 0;
    double footTop = -1;
    for (const PdfWord &word : pdfWords(printer.outputFileName())) {
        if (word.sheet != 1)
            continue;
        if (word.text == QStringLiteral("Cabeçalho"))
            headerBottom = word.bottom;
        if (word.text == QLatin1String("linha")) {
            if (firstLineTop < 0)
                firstLineTop = word.top;
            lastLineBottom = word.bottom;
            lineHeight = word.bottom - word.top;
        }
        if (word.text == QStringLiteral("Página"))
            footTop = word.top;
    }
    const QString where = QStringLiteral("header %1, lines %2 to %3 (%4 high), page number %5")
                              .arg(headerBottom)
                              .arg(firstLineTop)
                              .arg(lastLineBottom)
                              .arg(lineHeight)
                              .arg(footTop);
    QVERIFY2(headerBottom > 0 && firstLineTop > headerBottom && footTop > lastLineBottom, qPrintable(where));
    QVERIFY2(footTop - lastLineBottom < firstLineTop - headerBottom + 1.5 * lineHeight, qPrintable(where));
}

// A heading with nothing under it, at the end of the text, is printed as it stands.
void TestTakeaway::headingThatEndsTheTextPrints()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_out->filePath(QStringLiteral("fim.pdf")));
    QCOMPARE(
        printPaged(printer, QStringLiteral("<p>texto</p><h4>Notas finais</h4>"), QStringLiteral("Cabeçalho")),
        QString());
    QCOMPARE(pdfText(printer.outputFileName()), QStringLiteral("Cabeçalho texto Notas finais Página 1 de 1"));
}

QTEST_MAIN(TestTakeaway)
#include "tst_takeaway.moc"
