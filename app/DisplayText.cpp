#include "app/DisplayText.h"

#include <QFileInfo>
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

QString databaseOpenFailure(const QString &path, bool opened, const QString &detail)
{
    const QFileInfo file(path);
    QString reason;
    if (opened)
        reason = QStringLiteral("o catálogo de classificações não pôde ser lido");
    else if (!file.exists())
        reason = QStringLiteral("arquivo não encontrado");
    else if (file.isDir())
        reason = QStringLiteral("o caminho é uma pasta, não um arquivo");
    else if (file.size() == 0)
        reason = QStringLiteral("o arquivo está vazio");
    else
        reason = QStringLiteral("o arquivo está danificado ou não é um banco de dados Access ou SQLite");
    QString message = QStringLiteral("Não foi possível abrir o banco de dados %1: %2.").arg(path, reason);
    if (!detail.isEmpty())
        message += QStringLiteral("\n\nDetalhe: ") + detail; // the engine's own words, often English
    return message;
}
