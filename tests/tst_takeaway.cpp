#include "app/DataGrid.h"
#include "app/Dialogs.h"
#include "app/LinkLabel.h"
#include "search/SearchHistory.h"
#include "takeaway/PagedPrint.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QAbstractItemView>
#include <QCompleter>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QToolTip>

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
    return QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
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
    void saveKeyExportsALevelList();
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

private:
    void search(const QString &text);

    DatabaseFolder m_folder;
    std::unique_ptr<RunningWindow> m_running;
    dialogs::Recorder m_recorder;
    std::unique_ptr<QTemporaryDir> m_out; // where the save dialog points, new for each test
    QString m_answer;                     // what the save dialog answers
    QString m_suggested;
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
    m_answer = m_out->filePath(QStringLiteral("resultado.csv"));
    auto *link = m_running->find<LinkLabel>(QStringLiteral("LblExportarResultados"));
    QVERIFY(link && link->isVisible());
    clickLink(link);

    QCOMPARE(m_recorder.modalCount, 1);
    QCOMPARE(QFileInfo(m_suggested).fileName(), QStringLiteral("pesquisa COBRE.csv"));
    QCOMPARE(m_recorder.errors, QStringList());
    const QByteArray expected =
        QByteArray("\xEF\xBB\xBF") +
        QStringLiteral("Código;Descrição;Palavras-chave;Edição\r\n"
                       "=\"0620-2\";Cobre de reserva;cobre;Alfa Teste\r\n"
                       "=\"0620-2\";\"Cobre; \"\"batido\"\"\nà mão\";cobre, batido, "
                       "martelo;Alfa Teste\r\n"
                       "=\"0620-2\";Envelhecimento de cata-vento de cobre;envelhecimento, "
                       "cobre;Alfa Teste\r\n"
                       "=\"0620-2\";Moinho de vento;moinho, vento, cobre;Alfa Teste\r\n")
            .toUtf8();
    QCOMPARE(readAll(m_answer), expected);
}

void TestTakeaway::saveKeyExportsALevelList()
{
    browseDown(*m_running, {1}); // section B
    m_answer = m_out->filePath(QStringLiteral("secao.csv"));
    QTest::keyClick(m_running->window.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(QFileInfo(m_suggested).fileName(), QStringLiteral("secao B.csv"));
    QCOMPARE(readAll(m_answer),
             QByteArray("\xEF\xBB\xBF") +
                 QStringLiteral("Código;Descrição;Edição\r\n=\"05\";%1;Alfa Teste\r\n"
                                "=\"06\";%2;Alfa Teste\r\n")
                     .arg(tiny::description(QStringLiteral("05")), tiny::description(QStringLiteral("06")))
                     .toUtf8());

    // The structure page has no list to export: the key does nothing there.
    QTest::mouseClick(m_running->find<QPushButton>(QStringLiteral("BtnEstrutura")), Qt::LeftButton);
    QTest::keyClick(m_running->window.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(m_recorder.modalCount, 1);
}

void TestTakeaway::failedExportSaysSoAndLeavesNothing()
{
    search(QStringLiteral("cobre"));
    m_answer = m_out->filePath(QStringLiteral("sem-pasta/resultado.csv"));
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
    QTest::addColumn<QString>("heading"); // empty where the key prints nothing
    const auto d = [](const char *code) { return tiny::description(QLatin1String(code)); };
    QTest::newRow("structure") << QVector<int>{} << 1 << QString();
    QTest::newRow("section") << QVector<int>{1} << 2 << QStringLiteral("Seção: B ") + d("B");
    QTest::newRow("division") << QVector<int>{1, 1} << 3 << QStringLiteral("Divisão: 06 ");
    QTest::newRow("group") << QVector<int>{1, 1, 1} << 4 << QStringLiteral("Grupo: 062 ") + d("062");
    QTest::newRow("class") << QVector<int>{1, 1, 1, 1} << 5 << QStringLiteral("Classe: 0620-2 ") + d("06202");
    QTest::newRow("subclass") << QVector<int>{1, 1, 1, 1, 1} << 6
                              << QStringLiteral("Subclasse: 0620-2/02 ") + d("06202/02");
}

// Ctrl+P prints the level page on show, whichever level it is; elsewhere it does nothing.
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
    if (heading.isEmpty()) {
        QCOMPARE(m_recorder.modalCount, 0);
        QVERIFY(!QFileInfo::exists(m_answer));
        return;
    }
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
    QVERIFY2(suggested.fileName().endsWith(QLatin1String(".csv")), qPrintable(m_suggested));
    QVERIFY2(suggested.fileName().contains(QLatin1String("0620-2")) &&
                 suggested.fileName().contains(QLatin1String("02.csv")),
             qPrintable(m_suggested));
}

QTEST_MAIN(TestTakeaway)
#include "tst_takeaway.moc"
