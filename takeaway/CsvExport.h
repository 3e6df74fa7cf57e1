#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// A list written for spreadsheet programs: UTF-8 with a byte-order mark (so that accents open
// right), ';' between fields (the separator where the decimal mark is a comma), CRLF between rows.
// A text beginning with '=', '+', '-' or '@' is written as a formula giving that text, so that
// the spreadsheet shows it rather than runs it.
struct CsvTable {
    QStringList header;
    QVector<QStringList> rows;
    // Columns of codes: written as a formula giving text, ="01", so that a spreadsheet never turns
    // "01" into the number 1 or "0111-3/01" into a date.
    QVector<int> codeColumns;
};

QByteArray csvBytes(const CsvTable &table);

// "|venda|carros|" as the spreadsheet reads it: "venda, carros".
QString keywordListText(const QString &palavraChave);

// Writes bytes to path through a temporary file beside it that replaces path only once it is
// complete, so that a failed write leaves no half-written file. Returns the empty text, or a
// message in Portuguese saying what went wrong.
QString saveFileAtomically(const QString &path, const QByteArray &bytes);
