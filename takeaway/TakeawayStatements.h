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
// The division codes the activities are filed under, in order: the activities go by division so
// that only one division's rows are in memory at a time.
QString editionActivityDivisions(const QString &prefix);
// The activities of one division (a NULL division when isNull), in code order, with the same
// columns as activitiesOfSubclass.
QString editionActivitiesOfDivision(const QString &prefix, const QString &codDivisao, bool isNull);
