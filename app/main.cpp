#include "app/uFrmMain.h"
#include "data/UDtmMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZELT"));
    QApplication::setApplicationVersion(QStringLiteral(ZELT_VERSION));

    TDtmMain DtmMain;
    TFrmMain FrmMain(DtmMain);
    FrmMain.showMaximized();
    return application.exec();
}
