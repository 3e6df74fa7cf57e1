#include "takeaway/PageText.h"

#include "data/Query.h"

#include <QLocale>
#include <QRegularExpression>

QString databaseDateOf(const Query &dataBanco)
{
    if (!dataBanco.isOpen() || dataBanco.isEmpty() || dataBanco.field(0).isNull())
        return {};
    return QLocale(QLocale::Portuguese, QLocale::Brazil)
        .toString(dataBanco.field(0).asDateTime().date(), QStringLiteral("MMMM 'de' yyyy"));
}

QString fileNameOf(const QString &text)
{
    static const QRegularExpression refused(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]"));
    return QString(text).replace(refused, QStringLiteral("-")).simplified();
}
