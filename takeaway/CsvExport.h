#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// A list written for other programs as RFC 4180 reads it: every field quoted (a '"' doubled),
// CRLF between rows, ';' between fields (the separator where the decimal mark is a comma), UTF-8
// with a byte-order mark (so that accents open right in spreadsheets too). A text beginning with
// '=', '+', '-' or '@' gets a leading tab, so that a spreadsheet shows it rather than runs it.
struct CsvTable {
    QStringList header;
    QVector<QStringList> rows;
    // Columns of codes: written exactly as they are, never guarded (a code is never a formula).
    QVector<int> codeColumns;
};

QByteArray csvBytes(const CsvTable &table);

// "|venda|carros|" as the spreadsheet reads it: "venda, carros".
QString keywordListText(const QString &palavraChave);

// Writes bytes to path through a temporary file beside it that replaces path only once it is
// complete, so that a failed write leaves no half-written file. Returns the empty text, or a
// message in Portuguese saying what went wrong.
QString saveFileAtomically(const QString &path, const QByteArray &bytes);
