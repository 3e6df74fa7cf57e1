// zelt-sql DATABASE "STATEMENT": runs one statement through the program's engine (Access or
// SQLite file, Access dialect) and prints the column names, the rows (tab-separated) and the
// row count. Backslash, tab and line breaks inside values are escaped; NULL prints as \N.

#include "data/Connection.h"
#include "data/DataError.h"
#include "data/RowView.h"
#include "data/ValueText.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <string_view>

namespace
{

// Appends the bytes, backslash, tab and line breaks escaped; copies the runs between escapes.
void appendEscaped(std::string &line, std::string_view text)
{
    const char *run = text.data();
    const char *const end = run + text.size();
    for (const char *p = run; p != end; ++p) {
        const char *escape = nullptr;
        switch (*p) {
        case '\\':
            escape = "\\\\";
            break;
        case '\t':
            escape = "\\t";
            break;
        case '\n':
            escape = "\\n";
            break;
        case '\r':
            escape = "\\r";
            break;
        default:
            continue;
        }
        line.append(run, static_cast<size_t>(p - run));
        line += escape;
        run = p + 1;
    }
    line.append(run, static_cast<size_t>(end - run));
}

// Whether the text is UTF-8 that goes through QString unchanged: no byte sequence that QString
// would replace, no leading byte order mark, nothing beyond the Basic Multilingual Plane and no
// noncharacter (both rare here, and left to QString to judge).
bool plainUtf8(std::string_view text)
{
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const auto *const end = p + text.size();
    if (text.size() >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
        return false;
    while (p != end) {
        if (*p < 0x80) {
            ++p;
        } else if (*p >= 0xC2 && *p < 0xE0) {
            if (end - p < 2 || (p[1] & 0xC0) != 0x80)
                return false;
            p += 2;
        } else if (*p >= 0xE0 && *p < 0xF0) {
            if (end - p < 3 || (p[1] & 0xC0) != 0x80 || (p[2] & 0xC0) != 0x80)
                return false;
            const unsigned code = (p[0] & 0x0Fu) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
            if (code < 0x800 || (code >= 0xD800 && code < 0xE000) || (code >= 0xFDD0 && code < 0xFDF0) ||
                code >= 0xFFFE)
                return false;
            p += 3;
        } else {
            return false;
        }
    }
    return true;
}

// Appends one value as the program shows it (ValueText), escaped. Whole numbers and plain text go
// straight from the row; the rest as every value went before, through a QVariant.
void appendValue(std::string &line, const RowView &row, int column)
{
    const RowView::Cell cell = row.cell(column);
    switch (cell.type) {
    case RowView::Null:
        line += "\\N";
        return;
    case RowView::Integer: {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, cell.integer).ptr;
        line.append(digits, static_cast<size_t>(end - digits));
        return;
    }
    case RowView::Text:
        if (plainUtf8(cell.bytes)) {
            appendEscaped(line, cell.bytes);
            return;
        }
        break;
    default:
        break;
    }
    QVariant value;
    if (cell.type == RowView::Real)
        value = cell.real;
    else if (cell.type == RowView::Blob)
        value = QByteArray(cell.bytes.data(), static_cast<qsizetype>(cell.bytes.size()));
    else
        value = QString::fromUtf8(cell.bytes.data(), static_cast<qsizetype>(cell.bytes.size()));
    const QByteArray text = valueText(value).toUtf8();
    appendEscaped(line, std::string_view(text.constData(), static_cast<size_t>(text.size())));
}

void printLine(std::string_view line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
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
    // Into a pipe or a file the rows go out in large writes.
    static char output[1 << 16];
    if (!isatty(fileno(stdout)))
        std::setvbuf(stdout, output, _IOFBF, sizeof output);
    try {
        Connection connection;
        connection.setConnectionString(QStringLiteral("Data Source=\"%1\"").arg(arguments.at(0)));
        connection.open();
        // Rows go out as they come: a whole table is never held twice.
        long long rows = 0;
        connection.executeInPlace(
            arguments.at(1),
            [&connection](const QVector<ResultColumn> &columns) {
                for (const QString &note : connection.takeNotes())
                    std::fprintf(stderr, "%s\n", note.toLocal8Bit().constData());
                QStringList header;
                for (const ResultColumn &column : columns)
                    header.append(column.name);
                printLine(header.join(QLatin1Char('\t')).toStdString());
            },
            [&rows, line = std::string()](const RowView &row) mutable {
                line.clear(); // keeps its memory from row to row
                for (int c = 0; c < row.size(); ++c) {
                    if (c > 0)
                        line += '\t';
                    appendValue(line, row, c);
                }
                printLine(line);
                ++rows;
            });
        std::printf("%lld %s\n", rows, rows == 1 ? "row" : "rows");
    } catch (const DataError &error) {
        std::fprintf(stderr, "%s\n", error.message().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
