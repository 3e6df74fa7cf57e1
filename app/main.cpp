#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/Dialogs.h"
#include "app/QtTranslation.h"
#include "app/StartCheck.h"
#include "app/uFrmMain.h"
#include "data/UDtmMain.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    nameApplication();
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
    // Wrong arguments are answered from a shell without a display too.
    commandLine.refuseWrongArguments(arguments);

    QApplication application(argc, argv);
    installQtPortuguese(application);
    commandLine.process(application);
    dialogs::Recorder startMessages;
    if (commandLine.startCheck())
        dialogs::installRecorder(&startMessages);

    TDtmMain DtmMain;
    TFrmMain FrmMain(DtmMain, QString(), commandLine.databaseFile());
    FrmMain.showPlaced();
    if (commandLine.startCheck())
        QTimer::singleShot(0, &FrmMain,
                           [&] { application.exit(reportStart(FrmMain, DtmMain, startMessages)); });
    return application.exec();
}
