#pragma once

#include <QString>

// The statements that load the hierarchy pages. Each takes the edition's table prefix and the
// item's codes as they stand in the navigation state and returns the text to send, exactly.
//
// The prefix is inserted verbatim, but only when it is a plain name (letters, digits, '_'):
// it comes from the database's edition catalogue, and anything else could turn the statement
// into something other than one SELECT. Other prefixes throw DataError.

// A text literal: the value in single quotes, every single quote inside doubled.
QString quoted(const QString &value);

// The prefix itself, after checking it is a plain name; throws DataError otherwise.
QString checkedTablePrefix(const QString &prefix);

// S1: every section of the edition.
QString allSections(const QString &prefix);
// S2 and S3: one section; the structure list and the Seção detail send the same text.
QString sectionByCode(const QString &prefix, const QString &codSecao);
// S4: the divisions of a section.
QString divisionsOfSection(const QString &prefix, const QString &codSecao);
// S5: one division joined with its section.
QString divisionDetail(const QString &prefix, const QString &codDivisao);
// S6: the groups of a division.
QString groupsOfDivision(const QString &prefix, const QString &codDivisao);
// S7: one group joined with its division and section.
QString groupDetail(const QString &prefix, const QString &codGrupo);
// S8: the classes of a group, with the class code shown as XXXX-X.
QString classesOfGroup(const QString &prefix, const QString &codGrupo);
// S9: one class joined with its ancestors.
QString classDetail(const QString &prefix, const QString &codClasse);
// S10: the subclasses of a class, with the code shown as XXXX-X/XX.
QString subclassesOfClass(const QString &prefix, const QString &codClasse);
// S11: one subclass joined with its ancestors; it needs both its class code and its own code.
QString subclassDetail(const QString &prefix, const QString &codClasse, const QString &codSubClasse);
