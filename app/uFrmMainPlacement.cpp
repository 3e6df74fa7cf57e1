// Where the main window stands: as the last run left it, else maximised.
#include "app/uFrmMain.h"

#include "app/ProgramSettings.h"

void TFrmMain::showPlaced()
{
    // restoreGeometry brings a window saved on a screen that is gone, or larger than the screen
    // now, back onto the screen it is shown on, and keeps the maximised state.
    const QByteArray geometry = ProgramSettings().mainWindowGeometry();
    if (geometry.isEmpty() || !restoreGeometry(geometry)) {
        showMaximized();
        return;
    }
    show();
}

void TFrmMain::rememberPlace()
{
    if (isVisible())
        ProgramSettings().setMainWindowGeometry(saveGeometry());
}
