#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QDialog;
class QFileDialog;
class QMessageBox;
class QPrinter;
class QProgressDialog;
class QPushButton;
class QWidget;

// Every message box and modal window of the program goes through here, so that tests can
// answer them without blocking.
namespace dialogs
{

// The caption of the error dialog: the program's name as its main window shows it. It is no
// application display name, which the platform would append to every window's own caption.
QString errorCaption();

// The application's top-level error dialog: shows a data-layer (or conversion) message.
void showError(QWidget *parent, const QString &message);

// The system's own "Aviso" box: the text, one OK button, no icon.
void showWarning(QWidget *parent, const QString &text);

// The message of a start that could not open its database, with the choice "Abrir outro
// arquivo..." beside OK; true when the user takes it.
bool offerOtherDatabase(QWidget *parent, const QString &message);
// Sets up `box` as offerOtherDatabase shows it (the screenshot tour draws it too); returns its
// "Abrir outro arquivo..." button.
QPushButton *setUpOtherDatabaseBox(QMessageBox &box, const QString &message);

// Asks for a file to open; the chosen path, or the empty text when the user cancels.
QString chooseOpenFile(QWidget *parent, const QString &caption, const QString &folder, const QString &filter);

// Shows a window modally and returns when it closes.
int execModal(QDialog &dialog);

// Asks where to save a file (confirming an overwrite); the chosen path, or the empty text when
// the user cancels.
QString chooseSaveFile(QWidget *parent, const QString &caption, const QString &suggestedPath,
                       const QString &filter);

// The same with several filters ("Planilha (*.xlsx)"): selectedFilter names the one offered
// first and receives the one the user chose.
QString chooseSaveFile(QWidget *parent, const QString &caption, const QString &suggestedPath,
                       const QStringList &filters, QString *selectedFilter);

// Qt's print dialog for printer (with "Print to PDF"); true when the user chose to print.
bool choosePrinter(QWidget *parent, QPrinter &printer);

// A window saying how far a long task has gone, with a Cancel button; it shows once the task
// takes long enough to be worth it.
class ProgressWindow
{
public:
    ProgressWindow(QWidget *parent, const QString &label);
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow &) = delete;
    ProgressWindow &operator=(const ProgressWindow &) = delete;

    // Shows done out of total and lets the window take the user's clicks; false once Cancel was
    // pressed.
    bool update(qint64 done, qint64 total);

private:
    std::unique_ptr<QProgressDialog> m_dialog;
};

// Test seam: while installed, nothing blocks. Boxes are recorded; a modal window is handed to
// onModal (which may inspect it, click in it, close it) and is then closed.
struct Recorder {
    QStringList errors;
    QStringList warnings;
    int modalCount = 0;
    std::function<void(QDialog &)> onModal;
    // The save dialog, shown, is handed to onSaveFile, which gives the answer; unset cancels.
    std::function<QString(QFileDialog &)> onSaveFile;
    // The open dialog, shown, is handed to onOpenFile, which gives the answer; unset cancels.
    std::function<QString(QFileDialog &)> onOpenFile;
    // The answer to offerOtherDatabase, whose message is recorded among the errors and here.
    bool openOtherDatabase = false;
    QStringList otherDatabaseOffers;
    // Stands for the print dialog: sets up the printer and says whether to print; unset cancels.
    std::function<bool(QPrinter &)> onPrint;
    // Stands for a progress window: told how far the task has gone, returns false to cancel;
    // unset goes on.
    std::function<bool(qint64 done, qint64 total)> onProgress;
    // When set, the progress window is made after all and handed over, shown, at each step (to be
    // drawn); the answer still comes from onProgress.
    std::function<void(QProgressDialog &)> onProgressWindow;
};
void installRecorder(Recorder *recorder); // nullptr restores the real boxes

} // namespace dialogs
