#include "app/DisplayText.h"

#include <QRegularExpression>

QString upperAsciiOnly(const QString &text)
{
    QString upper = text;
    for (QChar &c : upper) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - ('a' - 'A'));
    }
    return upper;
}

QChar dateSeparator(const QLocale &locale)
{
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted && !c.isLetter() && !c.isSpace())
            return c;
    }
    return QLatin1Char('/');
}

QString formatDatabaseDate(const QDateTime &date, const QLocale &locale)
{
    const QDate day = date.date();
    const QString text = locale.standaloneMonthName(day.month(), QLocale::LongFormat) +
                         dateSeparator(locale) +
                         QStringLiteral("%1").arg(day.year(), 4, 10, QLatin1Char('0'));
    return upperAsciiOnly(text);
}

QString fileVersionText(const QString &builtVersion)
{
    if (builtVersion.isEmpty())
        return QString();
    static const QRegularExpression version(QStringLiteral("^\\d{1,5}(\\.\\d{1,5}){0,3}$"));
    return version.match(builtVersion).hasMatch() ? builtVersion : QStringLiteral("!");
}
