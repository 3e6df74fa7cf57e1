#include "support/SpreadsheetReaders.h"

#include "support/ProgramRun.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

namespace
{

// Debian's python3 carries openpyxl; another one first on the PATH may not.
const QString kPython = QStringLiteral("/usr/bin/python3");

const char *const kXlsxDump = R"(
import json, sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
out = {"sheets": book.sheetnames}
for sheet in book.worksheets:
    out[sheet.title] = {
        "cells": [[[c.value, c.data_type] for c in row] for row in sheet.iter_rows()],
        "freeze": sheet.freeze_panes,
        "filter": sheet.auto_filter.ref,
        "bold": [bool(c.font.b) for c in sheet[1]] if sheet.max_row else [],
        "widths": {k: v.width for k, v in sheet.column_dimensions.items()},
    }
print(json.dumps(out, ensure_ascii=False))
)";

const char *const kCsvDump = R"(
import csv, json, sys
with open(sys.argv[1], newline="", encoding="utf-8-sig") as f:
    print(json.dumps(list(csv.reader(f, delimiter=sys.argv[2], strict=True)), ensure_ascii=False))
)";

} // namespace

QJsonObject readXlsx(const QString &path)
{
    const ProgramRun run = runProgram(kPython, {QStringLiteral("-c"), QLatin1String(kXlsxDump), path});
    if (!run.finished || run.exitCode != 0)
        return {{QStringLiteral("error"), run.err}};
    return QJsonDocument::fromJson(run.out.toUtf8()).object();
}

QVector<QStringList> readCsv(const QString &path, const QString &delimiter)
{
    const ProgramRun run =
        runProgram(kPython, {QStringLiteral("-c"), QLatin1String(kCsvDump), path, delimiter});
    if (!run.finished || run.exitCode != 0)
        return {{QStringLiteral("<error: %1>").arg(run.err)}};
    QVector<QStringList> rows;
    for (const QJsonValue &row : QJsonDocument::fromJson(run.out.toUtf8()).array()) {
        QStringList fields;
        for (const QJsonValue &field : row.toArray())
            fields.append(field.toString());
        rows.append(fields);
    }
    return rows;
}

QString convertWithLibreOffice(const QString &path, const QString &target, const QString &outDir,
                               const QString &inFilter, QString *error)
{
    // A profile of its own: no first-start dialogs, no lock shared with a running LibreOffice.
    const QString profile = QDir(outDir).filePath(QStringLiteral("lo-profile"));
    QStringList arguments{QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile).toString(),
                          QStringLiteral("--headless"), QStringLiteral("--norestore")};
    if (!inFilter.isEmpty())
        arguments << QStringLiteral("--infilter=") + inFilter;
    arguments << QStringLiteral("--convert-to") << target << QStringLiteral("--outdir") << outDir << path;
    const ProgramRun run =
        runProgram(QStringLiteral("soffice"), arguments, outDir, environmentWithoutDisplay(), 180000);
    const QString extension = target.section(QLatin1Char(':'), 0, 0);
    const QString converted =
        QDir(outDir).filePath(QFileInfo(path).completeBaseName() + QLatin1Char('.') + extension);
    if (run.finished && run.exitCode == 0 && QFileInfo(converted).isFile())
        return converted;
    *error = QStringLiteral("soffice failed (%1): %2 %3").arg(run.exitCode).arg(run.out, run.err);
    return {};
}

QString libreOfficeDefaultCsvImport()
{
    return QStringLiteral("Text - txt - csv (StarCalc):44/59/9,34,76,1");
}
