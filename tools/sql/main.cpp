// zelt-sql DATABASE "STATEMENT": runs one statement through the program's engine (Access or
// SQLite file, Access dialect) and prints the column names, the rows (tab-separated) and the
// row count. Backslash, tab and line breaks inside values are escaped; NULL prints as \N.

#include "data/Connection.h"
#include "data/DataError.h"
#include "data/ValueText.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace
{

QString escaped(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QStringLiteral("\\N");
    QString text = valueText(value);
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    text.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    text.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    return text;
}

void printLine(const QStringList &fields)
{
    const QByteArray line = fields.join(QLatin1Char('\t')).toUtf8();
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fputc('\n', stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelt-sql"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZELT_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Runs one SELECT statement (Access dialect) on a ZELT database, through the program's own "
        "engine, and prints the column names, the rows (tab-separated) and the row count."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("DATABASE"),
                                 QStringLiteral("An Access .mdb/.accdb or SQLite file."));
    parser.addPositionalArgument(QStringLiteral("STATEMENT"),
                                 QStringLiteral("One SELECT statement, quoted."));
    parser.process(app);
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: zelt-sql DATABASE \"STATEMENT\"\n");
        return 2;
    }
    try {
        Connection connection;
        connection.setConnectionString(QStringLiteral("Data Source=\"%1\"").arg(arguments.at(0)));
        connection.open();
        // Rows go out as they come: a whole table is never held twice.
        long long rows = 0;
        connection.execute(
            arguments.at(1),
            [&connection](const QVector<ResultColumn> &columns) {
                for (const QString &note : connection.takeNotes())
                    std::fprintf(stderr, "%s\n", note.toLocal8Bit().constData());
                QStringList header;
                for (const ResultColumn &column : columns)
                    header.append(column.name);
                printLine(header);
            },
            [&rows](const QVector<QVariant> &row) {
                QStringList fields;
                for (const QVariant &value : row)
                    fields.append(escaped(value));
                printLine(fields);
                ++rows;
            });
        std::printf("%lld %s\n", rows, rows == 1 ? "row" : "rows");
    } catch (const DataError &error) {
        std::fprintf(stderr, "%s\n", error.message().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
