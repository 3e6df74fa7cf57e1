#include "app/Dialogs.h"
#include "app/LinkLabel.h"
#include "browse/NoteCodeLinks.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTest>

#include "support/TinyClassification.h"
#include "support/WindowDriver.h"

namespace
{

// Class 06101 of the clean tree cites items of every level, two of them missing from the edition.
const QString kNote = QStringLiteral("Cobre <lavrado> (0620-2); barcos (0620-9); do grupo (062); da divisão "
                                     "(05);\r\nenvelhecido (0620-2/02), (0620-2/07) e (9999-9).");

QStringList linksOf(const QString &html)
{
    QStringList links;
    int at = 0;
    while ((at = int(html.indexOf(QLatin1String("<a href=\""), at))) >= 0) {
        at += 9;
        links.append(html.mid(at, html.indexOf(QLatin1Char('"'), at) - at));
    }
    return links;
}

} // namespace

class TestNoteLinks : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void citedCodesOfEveryLevel();
    void onlyExistingCodesBecomeLinks();
    void linkOpensTheCitedItem_data();
    void linkOpensTheCitedItem();

private:
    DatabaseFolder m_folder;
};

void TestNoteLinks::initTestCase()
{
    QCOMPARE(m_folder.create(tiny::database() +
                             QStringList{QStringLiteral("UPDATE TST_1_CLASSE SET NCOMPRE_CLA = '%1' WHERE "
                                                        "CODIGO_CLA = '06101'")
                                             .arg(kNote)}),
             QString());
}

void TestNoteLinks::citedCodesOfEveryLevel()
{
    QStringList read;
    for (const CitedCode &code :
         citedCodes(kNote + QStringLiteral(" Not codes: (1), (0620-22), 0620-2, (06202).")))
        read.append(QStringLiteral("%1 %2 %3 %4")
                        .arg(code.level)
                        .arg(code.codigo, code.codigoSub, kNote.mid(code.start, code.length)));
    QCOMPARE(read, (QStringList{"4 06202  0620-2", "4 06209  0620-9", "3 062  062", "2 05  05",
                                "5 06202 02 0620-2/02", "5 06202 07 0620-2/07", "4 99999  9999-9"}));
}

void TestNoteLinks::onlyExistingCodesBecomeLinks()
{
    const auto exists = [](const CitedCode &code) { return code.codigo != QLatin1String("99999"); };
    const QString html = noteWithCodeLinks(kNote, exists);
    QCOMPARE(linksOf(html).size(), 6);
    // The text around the links reads as before: markup escaped, the line break kept.
    QVERIFY(html.contains(QStringLiteral("Cobre &lt;lavrado&gt; (<a href=")));
    QVERIFY(html.contains(QStringLiteral(";<br>envelhecido")));
    QVERIFY(html.contains(QStringLiteral("e (9999-9).")));
    QCOMPARE(noteWithCodeLinks(kNote, [](const CitedCode &) { return false; }), QString());
    CitedCode back;
    QVERIFY(parseCodeLinkTarget(linksOf(html)[4], back));
    QCOMPARE(back.level, 5);
    QCOMPARE(back.codigo, QStringLiteral("06202"));
    QCOMPARE(back.codigoSub, QStringLiteral("02"));
    QVERIFY(!parseCodeLinkTarget(QStringLiteral("https://exemplo.invalid"), back));
}

void TestNoteLinks::linkOpensTheCitedItem_data()
{
    QTest::addColumn<int>("tabs"); // Tab presses from the start of the note's text to the link
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("code");
    QTest::newRow("class") << 1 << 5 << "LblCodClasse_TbsClasse"
                           << "0620-2";
    QTest::newRow("group") << 2 << 4 << "LblCodGrupo_TbsGrupo"
                           << "062";
    QTest::newRow("division") << 3 << 3 << "LblCodDivisao_TbsDivisao"
                              << "05";
    QTest::newRow("subclass") << 4 << 6 << "LblCodSubClasse_TbsSubClasse"
                              << "0620-2/02";
}

void TestNoteLinks::linkOpensTheCitedItem()
{
    QFETCH(int, tabs);
    QFETCH(int, page);
    QFETCH(QString, label);
    QFETCH(QString, code);
    auto running = startWindow(m_folder.baseDirectory());
    QVERIFY(QTest::qWaitForWindowActive(running->window.get()));
    browseDown(*running, {1, 1, 0, 0});
    QCOMPARE(running->page(), 5);
    QCOMPARE(running->text(QStringLiteral("LblCodClasse_TbsClasse")), QStringLiteral("0610-1"));

    dialogs::Recorder recorder;
    QStringList links;
    recorder.onModal = [&](QDialog &dialog) {
        QApplication::processEvents();
        auto *text = dialog.findChild<QLabel *>(QStringLiteral("LblNaoCompreende_Texto"));
        links = linksOf(text->text());
        // The other notes hold no code: plain text as before.
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("LblCompreende_Texto"))->textFormat(),
                 Qt::PlainText);
        dialog.activateWindow();
        text->setFocus();
        for (int i = 0; i < tabs; ++i)
            QTest::keyClick(text, Qt::Key_Tab);
        QTest::keyClick(text, Qt::Key_Return);
    };
    dialogs::installRecorder(&recorder);
    clickLink(running->find<LinkLabel>(QStringLiteral("LblNotasExplicativas_TbsClasse")));
    dialogs::installRecorder(nullptr);
    QCOMPARE(recorder.modalCount, 1);
    QCOMPARE(recorder.errors, QStringList());
    // Missing from the edition: 0620-9, subclass 07, 9999-9.
    QCOMPARE(links, (QStringList{"nivel:4:06202:", "nivel:3:062:", "nivel:2:05:", "nivel:5:06202:02"}));
    QCOMPARE(running->page(), page);
    QCOMPARE(running->text(label), code);
}

QTEST_MAIN(TestNoteLinks)
#include "tst_notelinks.moc"
