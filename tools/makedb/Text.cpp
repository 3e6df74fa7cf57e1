#include "Text.h"

#include "Vocabulary.h"

#include <stdexcept>

namespace makedb
{

namespace
{

// Plain lower-case letter for U+00C0..U+00FF (UTF-8: 0xC3 followed by 0x80..0xBF); 0 where the
// character is no letter the vocabulary uses.
char foldLatin1(unsigned char secondByte)
{
    static const char table[] = "aaaaaaaceeeeiiii"    // C0-CF
                                "dnooooo\0ouuuuy\0s"  // D0-DF
                                "aaaaaaaceeeeiiii"    // E0-EF
                                "dnooooo\0ouuuuy\0y"; // F0-FF
    const unsigned index = secondByte - 0x80u;
    return index < 64 ? table[index] : '\0';
}

} // namespace

std::string keywordForm(const std::string &word)
{
    std::string plain;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(word[i]);
        if (c < 0x80) {
            if (c >= 'A' && c <= 'Z')
                plain += static_cast<char>(c - 'A' + 'a');
            else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '\'')
                plain += static_cast<char>(c);
            continue;
        }
        const char folded =
            (c == 0xC3 && i + 1 < word.size()) ? foldLatin1(static_cast<unsigned char>(word[i + 1])) : '\0';
        if (folded == '\0')
            throw std::invalid_argument("no plain form for a character of \"" + word + "\"");
        plain += folded;
        ++i;
    }
    return plain;
}

void appendKeywords(const std::string &phrase, std::vector<std::string> &keywords, std::size_t max)
{
    std::size_t start = 0;
    while (start < phrase.size() && keywords.size() < max) {
        std::size_t end = phrase.find(' ', start);
        if (end == std::string::npos)
            end = phrase.size();
        const std::string keyword = keywordForm(phrase.substr(start, end - start));
        bool present = false;
        for (const auto &held : keywords)
            present = present || held == keyword;
        if (!keyword.empty() && !present && !isStopWord(keyword))
            keywords.push_back(keyword);
        start = end + 1;
    }
}

std::string keywordColumn(const std::vector<std::string> &keywords)
{
    std::string column = "|";
    for (const auto &keyword : keywords)
        column += keyword + "|";
    return column;
}

namespace
{

// Shifts the first letter by the case distance of ASCII and of Latin-1 (both 0x20).
std::string withFirstLetter(const std::string &text, bool upper)
{
    std::string result = text;
    if (result.empty())
        return result;
    const unsigned char first = static_cast<unsigned char>(result[0]);
    if (upper && first >= 'a' && first <= 'z')
        result[0] = static_cast<char>(first - 0x20);
    else if (!upper && first >= 'A' && first <= 'Z')
        result[0] = static_cast<char>(first + 0x20);
    else if (first == 0xC3 && result.size() > 1) {
        const unsigned char second = static_cast<unsigned char>(result[1]);
        if (upper && second >= 0xA0 && second <= 0xBE && second != 0xB7)
            result[1] = static_cast<char>(second - 0x20);
        else if (!upper && second >= 0x80 && second <= 0x9E && second != 0x97)
            result[1] = static_cast<char>(second + 0x20);
    }
    return result;
}

} // namespace

std::string capitalised(const std::string &text)
{
    return withFirstLetter(text, true);
}

std::string uncapitalised(const std::string &text)
{
    return withFirstLetter(text, false);
}

} // namespace makedb
