#include "app/Dialogs.h"
#include "windows/UTESTE.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <functional>

namespace
{

const char *const kPanels[] = {"PnlNotasExplicativas", "PnlCompreende", "PnlTambemCompreende",
                               "PnlNaoCompreende", "PnlNotas"};
const char *const kTexts[] = {"LblNotaExplicativa_Texto", "LblCompreende_Texto", "LblTambemCompreende_Texto",
                              "LblNaoCompreende_Texto", "LblNotas_Texto"};

// Fills a popup and runs inspect on it while it is on screen.
void showNotes(const QStringList &texts, int nivel, const std::function<void(QDialog &)> &inspect)
{
    dialogs::Recorder recorder;
    recorder.onModal = [&](QDialog &dialog) {
        QApplication::processEvents();
        inspect(dialog);
    };
    dialogs::installRecorder(&recorder);
    TFrmPopupNota popup;
    popup.MostraNotas(texts[0], texts[1], texts[2], texts[3], texts[4], nivel);
    dialogs::installRecorder(nullptr);
    QCOMPARE(recorder.modalCount, 1);
}

QWidget *child(QDialog &dialog, const char *name)
{
    return dialog.findChild<QWidget *>(QLatin1String(name));
}

QString labelText(QDialog &dialog, const char *name)
{
    return dialog.findChild<QLabel *>(QLatin1String(name))->text();
}

} // namespace

class TestNotesPopup : public QObject
{
    Q_OBJECT
private slots:
    void sectionsFollowTheirText_data();
    void sectionsFollowTheirText();
    void hashesBecomeDashes_data();
    void hashesBecomeDashes();
    void captionsFollowLevel_data();
    void captionsFollowLevel();
    void longNoteScrollsInItsOwnBox();
    void boxesShareTheHeightByTheirText();
    void sectionsFillTheEnlargedPopup();
};

void TestNotesPopup::sectionsFollowTheirText_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("shown"); // one digit per section, in display order

    QTest::newRow("all five") << QStringList{"geral", "a", "b", "c", "d"} << "11111";
    QTest::newRow("blanks only") << QStringList{"   ", "a", " ", "c", "  "} << "01010";
    QTest::newRow("line breaks only") << QStringList{"\r\n", "\n\n", "b", "\r\n\r\n", "d"} << "00101";
    QTest::newRow("tabs and control characters")
        << QStringList{"x", "\t", QString(QChar(1)) + QChar(0x1f), "\t \r\n", "d"} << "10001";
    QTest::newRow("text inside blanks") << QStringList{"", "\n  a  \n", "", "", ""} << "01000";
    QTest::newRow("a lone hash is a note") << QStringList{"", "", "", "", "#"} << "00001";
    QTest::newRow("below the section level") << QStringList{"", "a", "b", "", "d"} << "01101";
    QTest::newRow("nothing at all") << QStringList{"", "", "", "", ""} << "00000";
    QTest::newRow("nothing but blanks") << QStringList{" ", "\r\n", "\t", "  \n ", ""} << "00000";
}

// Hidden sections leave no gap: the shown ones stand one under the other from the top, in order,
// and the no-notes line appears exactly when none is shown.
void TestNotesPopup::sectionsFollowTheirText()
{
    QFETCH(QStringList, texts);
    QFETCH(QString, shown);

    showNotes(texts, 2, [&](QDialog &popup) {
        int top = 0;
        for (int i = 0; i < 5; ++i) {
            QWidget *panel = child(popup, kPanels[i]);
            QCOMPARE(panel->isVisible(), shown[i] == QLatin1Char('1'));
            if (!panel->isVisible())
                continue;
            QCOMPARE(panel->y(), top);
            top = panel->geometry().bottom() + 1;
        }
        QWidget *noResult = child(popup, "PnlNoResult");
        QCOMPARE(noResult->isVisible(), !shown.contains(QLatin1Char('1')));
        if (noResult->isVisible()) {
            QCOMPARE(noResult->y(), 0);
            QCOMPARE(labelText(popup, "Label5"),
                     QStringLiteral(" Não há notas explicativas disponíveis para esta categoria. "));
        }
    });
}

void TestNotesPopup::hashesBecomeDashes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("inside") << "4.1#2"
                            << "4.1-2";
    QTest::newRow("runs and ends") << "##a##b#"
                                   << "--a--b-";
    QTest::newRow("blanks kept") << "  #  x  #  "
                                 << "  -  x  -  ";
    QTest::newRow("across lines") << "#\r\n#\n"
                                  << "-\r\n-\n";
    QTest::newRow("no hash, unchanged") << "  Linha um;\n\tlinha dois.  "
                                        << "  Linha um;\n\tlinha dois.  ";
}

// Every section shows its text as received except for "#".
void TestNotesPopup::hashesBecomeDashes()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);

    showNotes({text, text, text, text, text}, 1, [&](QDialog &popup) {
        for (const char *label : kTexts)
            QCOMPARE(labelText(popup, label), expected);
    });
}

void TestNotesPopup::captionsFollowLevel_data()
{
    QTest::addColumn<int>("nivel");
    QTest::addColumn<QStringList>("captions"); // window, compreende, também, não compreende

    QTest::newRow("Seção") << 1
                           << QStringList{"Notas Explicativas - Seção", "Esta seção compreende",
                                          "Esta seção compreende também", "Esta seção não compreende"};
    QTest::newRow("Divisão") << 2
                             << QStringList{"Notas Explicativas - Divisão", "Esta divisão compreende",
                                            "Esta divisão compreende também", "Esta divisão não compreende"};
    QTest::newRow("Grupo") << 3
                           << QStringList{"Notas Explicativas - Grupo", "Esta grupo compreende",
                                          "Esta grupo compreende também", "Esta grupo não compreende"};
    QTest::newRow("Classe") << 4
                            << QStringList{"Notas Explicativas - Classe", "Esta classe compreende",
                                           "Esta classe compreende também", "Esta classe não compreende"};
    QTest::newRow("SubClasse") << 5
                               << QStringList{"Notas Explicativas - SubClasse", "Esta subclasse compreende",
                                              "Esta subclasse compreende também",
                                              "Esta subclasse não compreende"};
}

void TestNotesPopup::captionsFollowLevel()
{
    QFETCH(int, nivel);
    QFETCH(QStringList, captions);

    // Also when nothing is shown: the caption still names the level.
    for (const QStringList &texts : {QStringList{"g", "a", "b", "c", "d"}, QStringList{"", "", "", "", ""}}) {
        showNotes(texts, nivel, [&](QDialog &popup) {
            QCOMPARE(popup.windowTitle(), captions[0]);
            QCOMPARE(labelText(popup, "LblTextoNotasExplicativas"), QStringLiteral("Notas Explicativas"));
            QCOMPARE(labelText(popup, "LblTextoCompreende"), captions[1]);
            QCOMPARE(labelText(popup, "LblTextoTambemCompreende"), captions[2]);
            QCOMPARE(labelText(popup, "LblTextoNaoCompreende"), captions[3]);
            QCOMPARE(labelText(popup, "LblTextoNotas"), QStringLiteral("Notas"));
            QCOMPARE(popup.size(), QSize(522, 522));
            QCOMPARE(popup.minimumSize(), QSize(522, 522));
        });
    }
}

// A long note wraps to the width of its own box and gets the height the short ones leave; what
// does not fit scrolls inside its box, never the popup.
void TestNotesPopup::longNoteScrollsInItsOwnBox()
{
    QString longNote;
    for (int i = 1; i <= 150; ++i)
        longNote += QStringLiteral("Frase %1 de uma nota que não cabe na caixa. ").arg(i);

    showNotes({"", longNote, "", "", "curta"}, 4, [&](QDialog &popup) {
        auto *box = popup.findChild<QScrollArea *>(QStringLiteral("ScrCompreende"));
        auto *text = popup.findChild<QLabel *>(QStringLiteral("LblCompreende_Texto"));
        auto *outer = popup.findChild<QScrollArea *>(QStringLiteral("ScrollBox1"));
        QVERIFY(box->verticalScrollBar()->maximum() > 0);
        QVERIFY(text->height() > box->viewport()->height());
        QVERIFY(text->width() <= box->viewport()->width());
        // The short note keeps just the height of its line, whole.
        auto *shortBox = popup.findChild<QScrollArea *>(QStringLiteral("ScrNotas"));
        QVERIFY(child(popup, "PnlNotas")->height() < 105);
        QCOMPARE(shortBox->verticalScrollBar()->maximum(), 0);
        QCOMPARE(child(popup, "PnlCompreende")->height() + child(popup, "PnlNotas")->height(),
                 outer->viewport()->height());
        QCOMPARE(child(popup, "PnlNotas")->y(), child(popup, "PnlCompreende")->height());
        QCOMPARE(outer->verticalScrollBar()->maximum(), 0);
    });
}

// The boxes share the popup's height by the length of their texts: short texts alone keep the
// designed boxes; beside long ones they keep only their lines, a longer note gets more room than a
// shorter long one, and all of it grows with the popup.
void TestNotesPopup::boxesShareTheHeightByTheirText()
{
    const auto sentences = [](int count) {
        QString text;
        for (int i = 1; i <= count; ++i)
            text += QStringLiteral("Frase %1 de uma nota longa. ").arg(i);
        return text;
    };
    showNotes({"geral", "a", "b", "c", "d"}, 1, [&](QDialog &popup) {
        QCOMPARE(child(popup, "PnlNotasExplicativas")->height(), 98);
        for (int i = 1; i < 5; ++i)
            QCOMPARE(child(popup, kPanels[i])->height(), 105);
    });
    showNotes({"", sentences(40), sentences(120), "curta", ""}, 3, [&](QDialog &popup) {
        const int shorter = child(popup, "PnlCompreende")->height();
        const int longer = child(popup, "PnlTambemCompreende")->height();
        QVERIFY2(shorter > 105 && longer > shorter,
                 qPrintable(QStringLiteral("%1 %2").arg(shorter).arg(longer)));
        const int curta = child(popup, "PnlNaoCompreende")->height();
        QVERIFY(curta < 105);
        auto *outer = popup.findChild<QScrollArea *>(QStringLiteral("ScrollBox1"));
        QCOMPARE(shorter + longer + curta, outer->viewport()->height());

        popup.resize(522, 900);
        QApplication::processEvents();
        QCOMPARE(outer->geometry(), popup.rect());
        QVERIFY(child(popup, "PnlTambemCompreende")->height() > longer);
    });
}

// Short notes in a popup with room to spare, as maximised on a large screen: the shown sections
// share all of its height, none left empty below them.
void TestNotesPopup::sectionsFillTheEnlargedPopup()
{
    showNotes({"", "a", "", "c", ""}, 2, [&](QDialog &popup) {
        QVERIFY(popup.windowFlags() & Qt::WindowMaximizeButtonHint);
        QVERIFY(!popup.windowIcon().isNull());
        auto *outer = popup.findChild<QScrollArea *>(QStringLiteral("ScrollBox1"));
        for (const QSize size : {QSize(522, 600), QSize(1900, 1000)}) {
            popup.resize(size);
            QApplication::processEvents();
            const int first = child(popup, "PnlCompreende")->height();
            const int second = child(popup, "PnlNaoCompreende")->height();
            QCOMPARE(first + second, outer->viewport()->height());
            QVERIFY(qAbs(first - second) <= 1);
            QCOMPARE(outer->verticalScrollBar()->maximum(), 0);
        }
    });
}

QTEST_MAIN(TestNotesPopup)
#include "tst_notespopup.moc"
