#pragma once

#include <string>
#include <utility>
#include <vector>

namespace makedb
{

// The kind of economic activity a section covers; it decides which qualifiers fit its items.
enum class Kind { Agro, Extraction, Industry, Utility, Construction, Trade, Transport, Service };

// One division's theme: its title, the actions that make sense for it ("Fabricação", joined to a
// product with " de "), and its products (lower-case noun phrases, accents as written in Portuguese).
struct Topic {
    std::string title;
    std::vector<std::string> actions;
    std::vector<std::string> products;
};

struct Sector {
    char code;
    std::string title;
    Kind kind;
    std::vector<Topic> topics;
};

// The invented classification the sample editions are cut from: 21 sectors and 85 topics.
const std::vector<Sector> &sectors();

// Phrases that refine an item of the given kind ("sob encomenda", "pela internet").
const std::vector<std::string> &qualifiers(Kind kind);

// Words the search drops from the typed text; keywords never contain them.
const std::vector<std::string> &stopWords();
bool isStopWord(const std::string &keyword);

// Word and synonym pairs of the help window's list, in keyword form.
const std::vector<std::pair<std::string, std::string>> &synonyms();

} // namespace makedb
