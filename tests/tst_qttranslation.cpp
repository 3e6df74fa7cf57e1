// Qt's own texts in the program's language: the text boxes' context menu, the message boxes'
// standard buttons and the file dialog, whatever the user's locale (the tests run in C.UTF-8).
#include "app/QtTranslation.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

class TestQtTranslation : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void contextMenuOfATextBox();
    void standardButtons();
    void fileDialog();
};

void TestQtTranslation::initTestCase()
{
    QVERIFY2(installQtPortuguese(*QCoreApplication::instance()),
             "qtbase_pt_BR.qm not found (Debian: qt6-translations-l10n, which tools/dev.sh installs)");
}

void TestQtTranslation::contextMenuOfATextBox()
{
    QLineEdit box(QStringLiteral("texto"));
    std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
    QStringList texts;
    for (const QAction *action : menu->actions()) {
        if (!action->isSeparator())
            texts.append(action->text().remove(QLatin1Char('&')).section(QLatin1Char('\t'), 0, 0));
    }
    for (const char *expected : {"Desfazer", "Copiar", "Colar", "Selecionar tudo"})
        QVERIFY2(texts.contains(QString::fromUtf8(expected)), qPrintable(texts.join(QLatin1String(" | "))));
}

void TestQtTranslation::standardButtons()
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Pergunta"), QStringLiteral("Continuar?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Yes)->text().remove(QLatin1Char('&')), QStringLiteral("Sim"));
    QCOMPARE(box.button(QMessageBox::No)->text().remove(QLatin1Char('&')), QStringLiteral("Não"));
    QCOMPARE(box.button(QMessageBox::Cancel)->text().remove(QLatin1Char('&')), QStringLiteral("Cancelar"));
}

// Qt's own dialog, as the program uses it: its buttons and captions are Portuguese.
void TestQtTranslation::fileDialog()
{
    QFileDialog dialog(nullptr, QStringLiteral("Abrir banco de dados"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.show();
    QApplication::processEvents();
    auto *buttons = dialog.findChild<QDialogButtonBox *>();
    QVERIFY(buttons);
    QStringList texts;
    for (const QAbstractButton *button : buttons->buttons())
        texts.append(button->text().remove(QLatin1Char('&')));
    QVERIFY2(texts.contains(QStringLiteral("Abrir")) && texts.contains(QStringLiteral("Cancelar")),
             qPrintable(texts.join(QLatin1String(" | "))));
    dialog.close();
}

QTEST_MAIN(TestQtTranslation)
#include "tst_qttranslation.moc"
