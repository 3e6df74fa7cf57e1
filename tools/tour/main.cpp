// zelt-tour [--size WxH] [--scale FACTOR] DATABASE OUTDIR: builds the real main window offscreen on
// a copy of DATABASE, walks the scripted steps and saves a picture of the window after each one
// (plus one of every message box or modal window a step raised) into OUTDIR. --size gives the
// window's client size (as a maximised window on that screen would have it; the designed 804x585
// by default), --scale the screen's scale factor, --palette a system palette to build the window
// under ("escuro" dark or "contraste" high contrast).
#include "Tour.h"

#include "app/Application.h"
#include "app/Dialogs.h"
#include "app/QtTranslation.h"
#include "data/UDtmMain.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QProcess>
#include <QSettings>
#include <QLocale>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdio>
#include <cstring>
#include <exception>
#include <vector>

namespace
{

class Pictures
{
public:
    explicit Pictures(const QString &folder) : m_folder(folder) {}

    bool save(QWidget &widget, const QString &name)
    {
        const QString path = QDir(m_folder).filePath(name + QStringLiteral(".png"));
        const bool saved = widget.grab().save(path);
        std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "saved" : "cannot save", qPrintable(path));
        return saved;
    }

    // The boxes are recorded rather than shown; draw them as the real ones look.
    bool saveBox(QMessageBox::Icon icon, const QString &caption, const QString &text, const QString &name)
    {
        QMessageBox box(icon, caption, text, QMessageBox::Ok);
        box.show();
        const bool saved = save(box, name);
        box.hide();
        return saved;
    }

    // A failed start's box, with its choice of another file.
    bool saveOtherDatabaseBox(const QString &text, const QString &name)
    {
        QMessageBox box;
        dialogs::setUpOtherDatabaseBox(box, text);
        box.show();
        const bool saved = save(box, name);
        box.hide();
        return saved;
    }

private:
    QString m_folder;
};

} // namespace

int main(int argc, char *argv[])
{
    const bool ownScreen = qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (ownScreen)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir screenFolder;
    // The options are read before the application exists: the scale factor must be set first.
    std::vector<char *> rest{argv[0]};
    QSize clientSize;
    QString paletteName;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--scale") == 0 && hasValue) {
            qputenv("QT_SCALE_FACTOR", argv[++i]);
        } else if (std::strcmp(argv[i], "--size") == 0 && hasValue) {
            int width = 0;
            int height = 0;
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width < 804 || height < 585) {
                std::fprintf(stderr, "--size needs WIDTHxHEIGHT, at least 804x585\n");
                return 2;
            }
            clientSize = QSize(width, height);
            // The offscreen screen is as large as the window, as the screen it is maximised on.
            const QString config = screenFolder.filePath(QStringLiteral("screen.json"));
            QFile screen(config);
            if (ownScreen && screen.open(QIODevice::WriteOnly)) {
                screen.write(QStringLiteral("{\"screens\": [{\"name\": \"tour\", \"x\": 0, \"y\": 0, "
                                            "\"width\": %1, \"height\": %2}]}")
                                 .arg(width)
                                 .arg(height)
                                 .toUtf8());
                screen.close();
                qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
            }
        } else if (std::strcmp(argv[i], "--palette") == 0 && hasValue) {
            paletteName = QString::fromLocal8Bit(argv[++i]);
        } else {
            rest.push_back(argv[i]);
        }
    }
    int restCount = int(rest.size());
    QApplication application(restCount, rest.data());
    nameApplication();
    if (!paletteName.isEmpty() && !setTourPalette(paletteName)) {
        std::fprintf(stderr, "--palette needs escuro or contraste\n");
        return 2;
    }
    installQtPortuguese(application);
    // The pictures show the window as its users see it: Portuguese month names.
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(
            stderr,
            "usage: zelt-tour [--size WxH] [--scale FACTOR] [--palette escuro|contraste] DATABASE OUTDIR\n");
        return 2;
    }
    const QString database = arguments[1];
    const QString outDir = arguments[2];
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(outDir));
        return 1;
    }

    // The window looks for <base>/Database/ZELT.mdb: lay out a private copy.
    QTemporaryDir base;
    if (!base.isValid() || !QDir(base.path()).mkpath(QStringLiteral("Database")) ||
        !QFile::copy(database, base.filePath(QStringLiteral("Database/ZELT.mdb")))) {
        std::fprintf(stderr, "cannot copy %s into a temporary folder\n", qPrintable(database));
        return 1;
    }

    // Recent searches go to settings of the tour's own, not to the user's.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, base.filePath(QStringLiteral("settings")));

    Pictures pictures(outDir);
    QString currentStep = QStringLiteral("00-inicio");
    int modalCount = 0;
    const TourStep *step = nullptr;
    dialogs::Recorder recorder;
    recorder.onModal = [&](QDialog &dialog) {
        // Let the window settle its layouts, as its own event loop would before painting.
        QApplication::processEvents();
        if (step && step->inWindow) {
            step->inWindow(dialog);
            QApplication::processEvents();
        }
        pictures.save(dialog, QStringLiteral("%1-janela%2").arg(currentStep).arg(++modalCount));
    };
    // The save dialog is drawn and answered with a file in OUTDIR; the print dialog with a PDF
    // file there, whose first page is drawn too.
    recorder.onSaveFile = [&](QFileDialog &dialog) {
        QApplication::processEvents();
        pictures.save(dialog, QStringLiteral("%1-janela%2").arg(currentStep).arg(++modalCount));
        const bool spreadsheet = dialog.selectedNameFilter().contains(QLatin1String("xlsx"));
        return QDir(outDir).filePath(currentStep +
                                     (spreadsheet ? QStringLiteral(".xlsx") : QStringLiteral(".csv")));
    };
    // The open dialog is drawn, then cancelled: the tour keeps its database.
    recorder.onOpenFile = [&](QFileDialog &dialog) {
        QApplication::processEvents();
        pictures.save(dialog, QStringLiteral("%1-janela%2").arg(currentStep).arg(++modalCount));
        return QString();
    };
    recorder.onPrint = [&](QPrinter &printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QDir(outDir).filePath(currentStep + QStringLiteral(".pdf")));
        return true;
    };
    // A long task's progress window is drawn once, on its way (a fast task only flashes it).
    bool progressDrawn = false;
    recorder.onProgressWindow = [&](QProgressDialog &dialog) {
        if (progressDrawn || dialog.value() < dialog.maximum() * 2 / 5)
            return;
        progressDrawn = true;
        QApplication::processEvents();
        pictures.save(dialog, QStringLiteral("%1-janela%2").arg(currentStep).arg(++modalCount));
    };
    dialogs::installRecorder(&recorder);

    TDtmMain dtm;
    TFrmMain window(dtm, base.path());
    TourContext tour{window, dtm};
    bool allSaved = true;
    int boxes = 0;
    const auto saveBoxes = [&] {
        for (; boxes < recorder.warnings.size(); ++boxes) {
            allSaved &=
                pictures.saveBox(QMessageBox::NoIcon, QStringLiteral("Aviso"), recorder.warnings[boxes],
                                 QStringLiteral("%1-aviso%2").arg(currentStep).arg(boxes + 1));
        }
    };
    int errors = 0;
    const auto saveErrors = [&] {
        for (; errors < recorder.errors.size(); ++errors) {
            std::fprintf(stderr, "error: %s\n", qPrintable(recorder.errors[errors]));
            const QString name = QStringLiteral("%1-erro%2").arg(currentStep).arg(errors + 1);
            if (recorder.otherDatabaseOffers.contains(recorder.errors[errors]))
                allSaved &= pictures.saveOtherDatabaseBox(recorder.errors[errors], name);
            else
                allSaved &= pictures.saveBox(QMessageBox::Critical, dialogs::errorCaption(),
                                             recorder.errors[errors], name);
        }
    };

    window.show();
    if (clientSize.isValid())
        window.setFixedSize(clientSize);
    QApplication::processEvents();

    const QVector<TourStep> steps = homeSteps() + windowSteps() + searchSteps() + browseSteps() +
                                    takeawaySteps() + spreadsheetSteps() + personSteps() + workdaySteps() +
                                    searchHelpSteps();
    for (int i = 0; i < steps.size(); ++i) {
        currentStep = QStringLiteral("%1-%2").arg(i, 2, 10, QLatin1Char('0')).arg(steps[i].name);
        modalCount = 0;
        step = &steps[i];
        // A step may call a handler directly, outside the window's guard.
        try {
            steps[i].action(tour);
        } catch (const std::exception &error) {
            recorder.errors.append(QString::fromLocal8Bit(error.what()));
        }
        QApplication::processEvents();
        allSaved &= pictures.save(window, currentStep);
        // Tooltips and completion lists are windows of their own.
        int popups = 0;
        for (QWidget *popup : QApplication::topLevelWidgets()) {
            if (popup->isVisible() &&
                (popup->windowType() == Qt::ToolTip || popup->windowType() == Qt::Popup)) {
                allSaved &=
                    pictures.save(*popup, QStringLiteral("%1-flutuante%2").arg(currentStep).arg(++popups));
                popup->hide();
            }
        }
        const QString pdf = QDir(outDir).filePath(currentStep + QStringLiteral(".pdf"));
        // A small workbook is drawn as LibreOffice prints it.
        const QFileInfo workbook(QDir(outDir).filePath(currentStep + QStringLiteral(".xlsx")));
        if (workbook.isFile() && workbook.size() < 200000 && !QFile::exists(pdf) &&
            QProcess::execute(
                QStringLiteral("soffice"),
                {QStringLiteral("-env:UserInstallation=") +
                     QUrl::fromLocalFile(base.filePath(QStringLiteral("lo-profile"))).toString(),
                 QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                 QStringLiteral("--outdir"), outDir, workbook.filePath()}) != 0)
            std::fprintf(stderr, "cannot draw %s with LibreOffice\n", qPrintable(workbook.filePath()));
        if (QFile::exists(pdf) &&
            QProcess::execute(QStringLiteral("pdftoppm"),
                              {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("60"),
                               QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                               QStringLiteral("1"), pdf, pdf.chopped(4)}) != 0)
            std::fprintf(stderr, "cannot draw %s with pdftoppm\n", qPrintable(pdf));
        saveBoxes();
        saveErrors();
    }
    window.close();
    dialogs::installRecorder(nullptr);
    return allSaved ? 0 : 1;
}
