#pragma once

#include <QString>

// The statements behind what is taken away beyond the pages' own lists. The prefix must be a
// plain name (letters, digits, '_'); otherwise DataError is thrown.

// The activities of one subclass, in their order: the subclass code as XXXX-X/XX
// (CodigoSubClasse), Descricao_Cla and Palavra_Chave.
QString activitiesOfSubclass(const QString &prefix, const QString &codClasse, const QString &codSubClasse);

// The whole edition, for one workbook. A level's rows (1 Seção to 5 SubClasse, every column) in
// code order.
QString editionLevelRows(const QString &prefix, int nivel);
// How many activities the edition has (one row, one column).
QString editionActivityCount(const QString &prefix);
// The division codes the activities are filed under, in order, with how many each has: the
// activities are read a run of divisions at a time, so that only that run's rows are in memory.
QString editionActivityDivisions(const QString &prefix);
// The activities of the divisions from first to last (those without division when isNull), in
// code order, with the same columns as activitiesOfSubclass.
QString editionActivitiesOfDivisions(const QString &prefix, const QString &first, const QString &last,
                                     bool isNull);
