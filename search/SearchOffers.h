#pragma once

#include "search/SearchVocabulary.h"

#include <QString>
#include <QVector>

#include <functional>

class ActivityGroups;
class Connection;

// A corrected search offered when a search finds nothing, with how many activities it finds.
struct SearchOffer {
    QString text;
    int activities = 0;
};

// How many activities the search of the text finds.
using SearchCount = std::function<int(const QString &text)>;

// The most words an offer corrects at once.
constexpr int MaxCorrectedWords = 4;

// Up to limit corrected searches for a text that found nothing (as the search used it: accents
// removed, trimmed, apostrophes single). Each word that no keyword holds is replaced by its nearest
// keywords (an operator + or - stays in front); a code no activity has, by the existing codes one
// digit off; words with a star, excluded words, stop words and everything else stay as typed.
// Offers that would find nothing are left out; none when some such word has no neighbour, or
// when more than MaxCorrectedWords words need correcting.
QVector<SearchOffer> searchOffers(const SearchVocabulary &vocabulary, const QString &text,
                                  const SearchCount &count, int limit = 5);

// The activities the search of the text finds, by the statement the search composes, on the
// edition with the given table prefix and subclass filter.
int countSearchResults(Connection &connection, const QString &prefixoTabela, const QString &filtroSubClasse,
                       const QString &text);
// The same count, from the edition's activity groups (when given) wherever they say it exactly,
// else by the statement; the stop words are still looked up by the engine.
int countSearchResults(Connection &connection, const ActivityGroups *groups, const QString &prefixoTabela,
                       const QString &filtroSubClasse, const QString &text);
