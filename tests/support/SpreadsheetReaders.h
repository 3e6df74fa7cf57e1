#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVector>

// Independent readers of the spreadsheet files the program writes: Python's openpyxl and csv
// modules, and LibreOffice converting without a window.

// Every sheet of an .xlsx as openpyxl reads it: {"sheets": [name...], "<name>": {"cells":
// [[[value, type]...]...], "freeze": "A2", "filter": "A1:D5", "bold": [...], "widths": {"A": 9}}},
// or {"error": text}.
QJsonObject readXlsx(const QString &path);

// The rows of a CSV file as Python's csv module reads it (UTF-8, a byte-order mark skipped), or
// one row holding "<error: ...>".
QVector<QStringList> readCsv(const QString &path, const QString &delimiter);

// The file converted by LibreOffice into outDir: `soffice --headless --convert-to target`, with
// an import filter when inFilter is not empty, in a private profile. The converted file's path, or
// the empty text (and why in *error).
QString convertWithLibreOffice(const QString &path, const QString &target, const QString &outDir,
                               const QString &inFilter, QString *error);

// The import options LibreOffice Calc ships with for text files: comma, semicolon and tab as
// separators, '"' quoting, UTF-8, formulas not evaluated.
QString libreOfficeDefaultCsvImport();
