#pragma once

#include <QString>

#include <string>
#include <string_view>
#include <vector>

// Letter case as the database compares text: ASCII and the letters of Latin-1 and Latin
// Extended-A fold to one case (À equals à); every other character compares as itself.
// Text is UTF-8 (SQLite's encoding); bytes that are not valid UTF-8 compare as themselves.
namespace textfold
{

char32_t foldChar(char32_t c);

// The characters of UTF-8 text as code points.
std::u32string decode(std::string_view text);

// Appends the folded form of text to out.
void appendFolded(std::string_view text, std::string &out);

// Three-way comparisons for SQLite collations.
// compareNoCase: case-blind, accents significant (the meaning of = and <>).
int compareNoCase(std::string_view a, std::string_view b);
// compareForSorting: dictionary order: accents and case ignored first (Água beside agua, before
// Banco), then accents, then case, then bytes, so that the order is total and repeatable.
int compareForSorting(std::string_view a, std::string_view b);

// Case-blind equality of two texts by the same rule (used to locate rows).
bool equalNoCase(const QString &a, const QString &b);

} // namespace textfold

// A LIKE pattern compiled once per statement: '%' any run of characters, '_' one character,
// an optional escape character that makes the next character literal. Matching ignores case as
// textfold does. Runs over every row of a search, hence the folded substring search instead of
// backtracking.
class LikePattern
{
public:
    explicit LikePattern(std::string_view pattern, char32_t escape = 0);
    bool matches(std::string_view text) const;

private:
    // A run of pattern characters between two '%': literal folded bytes and '_' places.
    struct Piece {
        std::string literal; // empty for '_'
    };
    struct Segment {
        std::vector<Piece> pieces;
        std::string plain; // the whole segment when it has no '_', for a fast substring search
        bool hasAny = false;
        int charCount = 0;
    };

    // Length in bytes of a match of segment at pos, or -1.
    static long matchAt(const Segment &segment, std::string_view text, size_t pos);
    static long find(const Segment &segment, std::string_view text, size_t from, size_t to, size_t *matchEnd);

    std::vector<Segment> m_segments; // separated by '%'
    bool m_hasPercent = false;
    bool m_matchesNothing = false;
};

namespace textfold
{

// The folded text as characters a trigram index can store: each byte that is not part of a
// character becomes U+FFFD. clean, when given, tells whether no byte needed it. A text whose
// folded form contains a clean text as bytes then contains it as whole characters.
std::string foldedCharacters(std::string_view text, bool *clean = nullptr);

} // namespace textfold
