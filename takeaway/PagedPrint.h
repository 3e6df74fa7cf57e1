#pragma once

#include <QString>

class QPrinter;

// Prints rich text on printer, sheet after sheet, each with header at its top and
// "Página n de m" at its foot. Returns the empty text, or what went wrong, in Portuguese.
QString printPaged(QPrinter &printer, const QString &html, const QString &header);
