#include "app/StartCheck.h"

#include "app/uFrmMain.h"
#include "data/UDtmMain.h"

#include <QComboBox>
#include <QStackedWidget>

#include <cstdio>

int reportStart(const TFrmMain &window, const TDtmMain &dtm, const dialogs::Recorder &messages)
{
    const auto *pages = window.findChild<QStackedWidget *>(QStringLiteral("PgcPrincipal"));
    const auto *editions = window.findChild<QComboBox *>(QStringLiteral("CmbClassificacao"));
    const QString page = pages->currentWidget()->objectName();
    const QString edition = editions->currentText();
    const QString database = dtm.ADCMain.isOpen() ? dtm.ADCMain.databasePath() : QString();
    std::printf("page: %s\nedition: %s\ndatabase: %s\n", qPrintable(page), qPrintable(edition),
                qPrintable(database));
    for (const QString &error : messages.errors)
        std::fprintf(stderr, "error: %s\n", qPrintable(error));
    for (const QString &warning : messages.warnings)
        std::fprintf(stderr, "warning: %s\n", qPrintable(warning));
    std::fflush(stdout);
    const bool home = page == QLatin1String("TbSPrincipal") && !edition.isEmpty();
    return home && messages.errors.isEmpty() ? 0 : 1;
}
