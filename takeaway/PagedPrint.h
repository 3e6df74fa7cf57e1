#pragma once

#include <QString>

class QPrinter;
class QTextDocument;

// Prints rich text on printer, sheet after sheet, each with header at its top and
// "Página n de m" at its foot; a heading never ends a sheet away from its text. Returns the empty text, or
// what went wrong, in Portuguese.
QString printPaged(QPrinter &printer, const QString &html, const QString &header);

// Moves each heading of a paginated document that would stand on another sheet than the first two
// lines of its text (or the whole text, when shorter) to the top of the next sheet.
void keepHeadingsWithText(QTextDocument &document);
