#include "takeaway/CsvExport.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace
{

QString quoted(const QString &text)
{
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

// A leading tab keeps a spreadsheet from running a text that begins as a formula ("-" and "+"
// included), and shows as nothing where the file is read as plain text.
QString guarded(const QString &text)
{
    static const QString formulaStarts = QStringLiteral("=+-@");
    return !text.isEmpty() && formulaStarts.contains(text.front()) ? QLatin1Char('\t') + text : text;
}

QString rowText(const QStringList &fields, const QVector<int> &codeColumns)
{
    QStringList written;
    for (int i = 0; i < fields.size(); ++i)
        written.append(quoted(codeColumns.contains(i) ? fields[i] : guarded(fields[i])));
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
