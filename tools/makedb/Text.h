#pragma once

#include <string>
#include <vector>

namespace makedb
{

// The keyword form of one word of a description: lower case, Portuguese accents folded to plain
// letters, hyphens and punctuation dropped ("Anti-roubo," gives "antiroubo"). The apostrophe stays
// (d'água gives d'agua). Throws std::invalid_argument on a letter it cannot fold.
std::string keywordForm(const std::string &word);

// Appends to keywords the keyword form of every word of phrase that is neither a stop word nor
// already present, keeping the order of the phrase, while fewer than max are held.
void appendKeywords(const std::string &phrase, std::vector<std::string> &keywords, std::size_t max);

// The keyword column's shape: "|kw1|kw2|...|".
std::string keywordColumn(const std::vector<std::string> &keywords);

// The text with its first letter turned to upper (or lower) case; ASCII and Latin-1 letters in UTF-8.
std::string capitalised(const std::string &text);
std::string uncapitalised(const std::string &text);

} // namespace makedb
