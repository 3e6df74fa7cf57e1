#include "app/Dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace dialogs {

namespace {
Recorder *g_recorder = nullptr;
}

void installRecorder(Recorder *recorder)
{
    g_recorder = recorder;
}

void showError(QWidget *parent, const QString &message)
{
    if (g_recorder) {
        g_recorder->errors.append(message);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), message, QMessageBox::Ok,
                    parent);
    box.exec();
}

void showWarning(QWidget *parent, const QString &text)
{
    if (g_recorder) {
        g_recorder->warnings.append(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Aviso"), text, QMessageBox::Ok, parent);
    box.exec();
}

int execModal(QDialog &dialog)
{
    if (g_recorder) {
        ++g_recorder->modalCount;
        dialog.setModal(true);
        dialog.show();
        if (g_recorder->onModal)
            g_recorder->onModal(dialog);
        const int result = dialog.result();
        dialog.close();
        return result;
    }
    return dialog.exec();
}

QString chooseSaveFile(QWidget *parent, const QString &caption, const QString &suggestedPath,
                       const QString &filter)
{
    if (!g_recorder)
        return QFileDialog::getSaveFileName(parent, caption, suggestedPath, filter);
    ++g_recorder->modalCount;
    QFileDialog dialog(parent, caption, suggestedPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.show();
    const QString answer = g_recorder->onSaveFile ? g_recorder->onSaveFile(dialog) : QString();
    dialog.close();
    return answer;
}

bool choosePrinter(QWidget *parent, QPrinter &printer)
{
    if (!g_recorder) {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    }
    ++g_recorder->modalCount;
    return g_recorder->onPrint && g_recorder->onPrint(printer);
}

} // namespace dialogs
