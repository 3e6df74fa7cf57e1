#include "app/Dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

namespace dialogs {

namespace {
Recorder *g_recorder = nullptr;
}

void installRecorder(Recorder *recorder)
{
    g_recorder = recorder;
}

QString errorCaption()
{
    return QStringLiteral("ZELTWeb");
}

void showError(QWidget *parent, const QString &message)
{
    if (g_recorder) {
        g_recorder->errors.append(message);
        return;
    }
    QMessageBox box(QMessageBox::Critical, errorCaption(), message, QMessageBox::Ok,
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

bool offerOtherDatabase(QWidget *parent, const QString &message)
{
    if (g_recorder) {
        g_recorder->errors.append(message);
        return g_recorder->openOtherDatabase;
    }
    QMessageBox box(QMessageBox::Critical, errorCaption(), message, QMessageBox::Ok, parent);
    QPushButton *other = box.addButton(QStringLiteral("Abrir outro arquivo..."), QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    return box.clickedButton() == other;
}

QString chooseOpenFile(QWidget *parent, const QString &caption, const QString &folder, const QString &filter)
{
    if (!g_recorder)
        return QFileDialog::getOpenFileName(parent, caption, folder, filter);
    ++g_recorder->modalCount;
    QFileDialog dialog(parent, caption, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.show();
    const QString answer = g_recorder->onOpenFile ? g_recorder->onOpenFile(dialog) : QString();
    dialog.close();
    return answer;
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
