#include "takeaway/CsvExport.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace
{

bool needsQuotes(const QString &text)
{
    for (const QChar c : text) {
        if (c == QLatin1Char(';') || c == QLatin1Char('"') || c == QLatin1Char('\n') ||
            c == QLatin1Char('\r'))
            return true;
    }
    return false;
}

QString quoted(const QString &text)
{
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

// Spreadsheets read a field that does not begin with a quote up to the next ';' as it stands,
// formula included; only a code holding ';' or a line break needs the formula quoted as a whole.
QString codeField(const QString &code)
{
    if (code.isEmpty())
        return code;
    const QString formula = QLatin1String("=") + quoted(code);
    return code.contains(QLatin1Char(';')) || code.contains(QLatin1Char('\n')) ||
                   code.contains(QLatin1Char('\r'))
               ? quoted(formula)
               : formula;
}

// A text that begins as a formula would be run by the spreadsheet ("-" and "+" included):
// written as a formula that gives the text back.
QString plainField(const QString &text)
{
    static const QString formulaStarts = QStringLiteral("=+-@");
    if (!text.isEmpty() && formulaStarts.contains(text.front()))
        return codeField(text);
    return needsQuotes(text) ? quoted(text) : text;
}

QString rowText(const QStringList &fields, const QVector<int> &codeColumns)
{
    QStringList written;
    for (int i = 0; i < fields.size(); ++i)
        written.append(codeColumns.contains(i) ? codeField(fields[i]) : plainField(fields[i]));
    return written.join(QLatin1Char(';')) + QLatin1String("\r\n");
}

QString failureReason(const QSaveFile &file, const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("já existe uma pasta com esse nome");
    if (!info.absoluteDir().exists())
        return QStringLiteral("a pasta não existe");
    switch (file.error()) {
    case QFileDevice::OpenError:
    case QFileDevice::PermissionsError:
        return QStringLiteral("não há permissão para gravar nessa pasta");
    case QFileDevice::WriteError:
    case QFileDevice::ResourceError:
        return QStringLiteral("o disco recusou a gravação (pode estar cheio)");
    case QFileDevice::RenameError:
        return QStringLiteral("o arquivo existente não pôde ser substituído");
    default:
        return QStringLiteral("erro do sistema de arquivos (%1)").arg(file.errorString());
    }
}

} // namespace

QByteArray csvBytes(const CsvTable &table)
{
    QString text = rowText(table.header, {});
    for (const QStringList &row : table.rows)
        text += rowText(row, table.codeColumns);
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QString keywordListText(const QString &palavraChave)
{
    QStringList keywords = palavraChave.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    return keywords.join(QLatin1String(", "));
}

QString saveFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    const bool saved = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (saved)
        return {};
    const QString reason = failureReason(file, path);
    file.cancelWriting();
    return QStringLiteral("Não foi possível gravar o arquivo \"%1\": %2.")
        .arg(QDir::toNativeSeparators(path), reason);
}
