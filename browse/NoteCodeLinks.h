#pragma once

#include <QString>
#include <QVector>

#include <functional>

// A level code cited in an explanatory note, in parentheses as the edition writes codes:
// "(01)" a division, "(011)" a group, "(0111-3)" a class, "(0111-3/01)" a subclass.
struct CitedCode {
    int start = 0; // of the code, inside the parentheses
    int length = 0;
    int level = 0;     // 2 Divisão, 3 Grupo, 4 Classe, 5 SubClasse
    QString codigo;    // as the tables store it: "01", "011", "01113", and for a subclass the class
    QString codigoSub; // the subclass's two digits; empty for the other levels
};

QVector<CitedCode> citedCodes(const QString &note);

// A link target for a cited code, and back.
QString codeLinkTarget(const CitedCode &code);
bool parseCodeLinkTarget(const QString &target, CitedCode &code);

// The note as rich text that reads as the plain text did (blanks and line breaks kept), with
// each cited code for which exists() holds made a link; the empty text when none does, so that the
// plain text is shown as before.
QString noteWithCodeLinks(const QString &note, const std::function<bool(const CitedCode &)> &exists);
