#include "app/Application.h"

#include <QCoreApplication>

void nameApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("ZELT"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZELT_VERSION));
}
