#include "app/CommandLine.h"
#include "app/Dialogs.h"
#include "app/StartCheck.h"
#include "app/uFrmMain.h"
#include "data/UDtmMain.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication::setApplicationName(QStringLiteral("ZELT"));
    QApplication::setApplicationDisplayName(QStringLiteral("ZELTWeb"));
    QApplication::setApplicationVersion(QStringLiteral(ZELT_VERSION));
    // Desktops match the window to its menu entry and icon by this name (packaging/).
    QApplication::setDesktopFileName(QStringLiteral("org.example.zelt"));

    CommandLine commandLine;
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (commandLine.asksForTextOnly(arguments)) {
        QCoreApplication application(argc, argv);
        commandLine.process(application);
    }

    QApplication application(argc, argv);
    commandLine.process(application);
    dialogs::Recorder startMessages;
    if (commandLine.startCheck())
        dialogs::installRecorder(&startMessages);

    TDtmMain DtmMain;
    TFrmMain FrmMain(DtmMain, QString(), commandLine.databaseFile());
    FrmMain.showMaximized();
    if (commandLine.startCheck())
        QTimer::singleShot(0, &FrmMain,
                           [&] { application.exit(reportStart(FrmMain, DtmMain, startMessages)); });
    return application.exec();
}
