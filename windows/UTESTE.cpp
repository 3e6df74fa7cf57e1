#include "windows/UTESTE.h"

#include "app/Dialogs.h"
#include "app/WindowLook.h"
#include "ui_UTESTE.h"

#include <QGuiApplication>
#include <QScreen>

namespace
{

// Blanks and control characters at either end do not make a note: only what lies between them.
bool isEmptyNote(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0x20)
            return false;
    }
    return true;
}

struct LevelCaptions {
    const char *window;
    const char *compreende;
    const char *tambemCompreende;
    const char *naoCompreende;
};

// "Esta grupo" is the system's own wording.
const LevelCaptions kLevelCaptions[] = {
    {"Notas Explicativas - Seção", "Esta seção compreende", "Esta seção compreende também",
     "Esta seção não compreende"},
    {"Notas Explicativas - Divisão", "Esta divisão compreende", "Esta divisão compreende também",
     "Esta divisão não compreende"},
    {"Notas Explicativas - Grupo", "Esta grupo compreende", "Esta grupo compreende também",
     "Esta grupo não compreende"},
    {"Notas Explicativas - Classe", "Esta classe compreende", "Esta classe compreende também",
     "Esta classe não compreende"},
    {"Notas Explicativas - SubClasse", "Esta subclasse compreende", "Esta subclasse compreende também",
     "Esta subclasse não compreende"},
};

} // namespace

TFrmPopupNota::TFrmPopupNota(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TFrmPopupNota>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFont(windowFont());
    setFixedSize(522, 522);
    // Headings stand at 8, 8 of their panel: the layout gives the top, this the left.
    for (QLabel *heading : {ui->LblTextoNotasExplicativas, ui->LblTextoCompreende,
                            ui->LblTextoTambemCompreende, ui->LblTextoNaoCompreende, ui->LblTextoNotas})
        heading->setContentsMargins(7, 0, 0, 0);
    ui->Label5->adjustSize();
}

TFrmPopupNota::~TFrmPopupNota() = default;

void TFrmPopupNota::MostraNotas(QString NotaExplicativa, QString Compreende, QString TambemCompreende,
                                QString NaoCompreende, QString Notas, int Nivel)
{
    if (Nivel >= 1 && Nivel <= 5) {
        const LevelCaptions &captions = kLevelCaptions[Nivel - 1];
        setWindowTitle(QString::fromUtf8(captions.window));
        ui->LblTextoNotasExplicativas->setText(QStringLiteral("Notas Explicativas"));
        ui->LblTextoCompreende->setText(QString::fromUtf8(captions.compreende));
        ui->LblTextoTambemCompreende->setText(QString::fromUtf8(captions.tambemCompreende));
        ui->LblTextoNaoCompreende->setText(QString::fromUtf8(captions.naoCompreende));
        ui->LblTextoNotas->setText(QStringLiteral("Notas"));
    }

    const struct {
        QString &text;
        QWidget *panel;
        QLabel *label;
    } sections[] = {
        {NotaExplicativa, ui->PnlNotasExplicativas, ui->LblNotaExplicativa_Texto},
        {Compreende, ui->PnlCompreende, ui->LblCompreende_Texto},
        {TambemCompreende, ui->PnlTambemCompreende, ui->LblTambemCompreende_Texto},
        {NaoCompreende, ui->PnlNaoCompreende, ui->LblNaoCompreende_Texto},
        {Notas, ui->PnlNotas, ui->LblNotas_Texto},
    };
    bool shown = false;
    for (const auto &section : sections) {
        if (isEmptyNote(section.text)) {
            section.panel->setVisible(false);
            continue;
        }
        section.label->setText(section.text.replace(QLatin1Char('#'), QLatin1Char('-')));
        section.panel->setVisible(true);
        shown = true;
    }
    ui->PnlNoResult->setVisible(!shown);

    if (const QScreen *desktop = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(desktop->availableGeometry().center());
        move(frame.topLeft());
    }
    dialogs::execModal(*this);
}
