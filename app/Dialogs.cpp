#include "app/Dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>

namespace dialogs
{

namespace
{
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
    QMessageBox box(QMessageBox::Critical, errorCaption(), message, QMessageBox::Ok, parent);
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
        g_recorder->otherDatabaseOffers.append(message);
        return g_recorder->openOtherDatabase;
    }
    QMessageBox box(parent);
    QPushButton *other = setUpOtherDatabaseBox(box, message);
    box.exec();
    return box.clickedButton() == other;
}

QPushButton *setUpOtherDatabaseBox(QMessageBox &box, const QString &message)
{
    box.setIcon(QMessageBox::Critical);
    box.setWindowTitle(errorCaption());
    box.setText(message);
    box.setStandardButtons(QMessageBox::Ok);
    QPushButton *other = box.addButton(QStringLiteral("Abrir outro arquivo..."), QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    return other;
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

QString chooseSaveFile(QWidget *parent, const QString &caption, const QString &suggestedPath,
                       const QStringList &filters, QString *selectedFilter)
{
    if (!g_recorder)
        return QFileDialog::getSaveFileName(parent, caption, suggestedPath, filters.join(QLatin1String(";;")),
                                            selectedFilter);
    ++g_recorder->modalCount;
    QFileDialog dialog(parent, caption, suggestedPath);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(*selectedFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.show();
    const QString answer = g_recorder->onSaveFile ? g_recorder->onSaveFile(dialog) : QString();
    *selectedFilter = dialog.selectedNameFilter();
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

ProgressWindow::ProgressWindow(QWidget *parent, const QString &label)
{
    if (g_recorder && !g_recorder->onProgressWindow)
        return;
    m_dialog = std::make_unique<QProgressDialog>(label, QStringLiteral("Cancelar"), 0, 1000, parent);
    m_dialog->setWindowTitle(errorCaption());
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setMinimumDuration(500);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
}

ProgressWindow::~ProgressWindow() = default;

bool ProgressWindow::update(qint64 done, qint64 total)
{
    if (m_dialog) {
        // A modal progress dialog takes the events, Cancel's click among them, as its value changes.
        m_dialog->setValue(total > 0 ? int(done * 1000 / total) : 0);
        if (g_recorder) {
            m_dialog->show();
            g_recorder->onProgressWindow(*m_dialog);
        }
    }
    if (g_recorder)
        return !g_recorder->onProgress || g_recorder->onProgress(done, total);
    return !m_dialog->wasCanceled();
}

} // namespace dialogs
