#pragma once

class QCoreApplication;

// Puts Qt's own texts (context menus of text boxes, standard buttons, the file and print dialogs)
// in Portuguese (Brazil) whatever the user's locale, as the rest of the program is. False when
// Qt's translation is not installed (Debian: qt6-translations-l10n); the texts stay English.
bool installQtPortuguese(QCoreApplication &application);
