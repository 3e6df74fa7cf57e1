#include "app/Application.h"
#include "app/uFrmMain.h"
#include "data/UDtmMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    nameApplication();

    TDtmMain DtmMain;
    TFrmMain FrmMain(DtmMain);
    FrmMain.showMaximized();
    return application.exec();
}
