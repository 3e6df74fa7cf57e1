#pragma once

struct sqlite3;

// Registers on db what the Access dialect needs and SQLite lacks or does otherwise:
// zelt_left(text, n) and zelt_right(text, n) (characters, not bytes; NULL stays NULL);
// zelt_plus(a, b), Access's +: numbers add, texts join, a number and a numeric text add,
// NULL gives NULL, a number and other text is a type mismatch;
// like() in both forms, ignoring letter case over Latin-1 and Latin Extended-A;
// the collations zelt_nocase (comparisons) and zelt_sort (ordering).
// Returns false when SQLite refused one of them.
bool registerAccessFunctions(sqlite3 *db);
