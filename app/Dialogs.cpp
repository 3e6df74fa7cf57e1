#include "app/Dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

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

} // namespace dialogs
