#pragma once

#include <QStringList>

// A small invented classification, as SQLite statements for DatabaseFolder::create, for tests
// that browse the hierarchy and jump from search results.
//
// Editions (all current, listed in this order; the first is loaded at start):
//   "Alfa Teste"        TST_1  clean tree below
//   "Beta Defeituosa"   TST_2  a section without divisions, a division without groups, a group
//                              without classes, a class with a NULL description, a subclass with a
//                              NULL code, and activities naming items that do not exist
//   "Delta Vazia"       TST_3  every table, no rows
//   "Gama Incompleta"   TST_4  sections and divisions only: no group table
//   "Omega Subclasses"  TST_1  a subclass edition over the clean tree
//   "Zeta Inexistente"  TST_9  no tables at all
//
// The clean tree (TST_1); each path is one row per level, left to right:
//   A Agricultura lunar / 01 / 011 / 01111 / 01
//   B Bens movidos a vento / 05 / 051 / 05101 / 01
//                          / 06 / 061 / 06101 / 01
//                               / 062 / 06201 (no subclasses)
//                                     / 06202 / 01, 02
// Division 06 has a description long enough to wrap and NULL notes. Every other item's notes are
// notesOf(kind, code), its section's explanatory note notesOf("NTEXP", code).
namespace tiny
{

QStringList database();

// "<kind> <code>", e.g. notesOf("CCOMPRE", "B") == "CCOMPRE B".
QString notesOf(const QString &kind, const QString &code);

// Descriptions of the clean tree by code: section letter, division, group, class, or class + "/"
// + subclass (e.g. "06202/02").
QString description(const QString &code);

} // namespace tiny
