#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// The program's own upper-casing: the letters a to z only; ç, accented vowels and the rest stay.
QString upperAsciiOnly(const QString &text);

// The separator between day, month and year in the locale's short date format ('/' when it has
// none).
QChar dateSeparator(const QLocale &locale);

// The database date as the home page shows it: full month name, the locale's date separator and
// the four-digit year, upper-cased on a to z only (March in Portuguese reads MARçO/2024).
QString formatDatabaseDate(const QDateTime &date, const QLocale &locale = QLocale());

// The version text of the home page from the version the build recorded: the version itself when
// it is one to four dot-separated numbers, the empty text when there is none, "!" when it cannot
// be read as a version.
QString fileVersionText(const QString &builtVersion);

// The start-up failure as the user reads it: what went wrong with which file, in Portuguese and
// reason first, then the engine's own detail. `opened` tells a file that opened but lacks the
// catalogue from one that could not be opened at all.
QString databaseOpenFailure(const QString &path, bool opened, const QString &detail);
