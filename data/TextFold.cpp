#include "data/TextFold.h"

#include <QChar>

#include <algorithm>
#include <array>

namespace
{

constexpr char32_t kLastFolded = 0x17F;     // end of Latin Extended-A
constexpr char32_t kInvalidBase = 0x110000; // invalid UTF-8 bytes sort after every character

struct Tables {
    std::array<char32_t, kLastFolded + 1> fold{};
    std::array<char32_t, kLastFolded + 1> base{}; // folded, without accent
    std::array<unsigned char, 128> asciiLower{};
};

char32_t foldWithin(char32_t c)
{
    const char32_t f = QChar::toCaseFolded(c);
    return f <= kLastFolded ? f : c;
}

const Tables &tables()
{
    static const Tables t = [] {
        Tables built;
        for (char32_t c = 0; c <= kLastFolded; ++c)
            built.fold[c] = foldWithin(c);
        for (char32_t c = 0; c <= kLastFolded; ++c) {
            char32_t b = c;
            const QString decomposed = QChar(char16_t(c)).decomposition();
            if (QChar(char16_t(c)).decompositionTag() == QChar::Canonical && !decomposed.isEmpty())
                b = decomposed.at(0).unicode();
            built.base[c] = b <= kLastFolded ? built.fold[b] : b;
        }
        for (int c = 0; c < 128; ++c)
            built.asciiLower[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        return built;
    }();
    return t;
}

// Decodes the character at text[i] and moves i past it. A byte that does not start a valid
// sequence comes back as kInvalidBase + byte, one byte long.
char32_t decodeAt(std::string_view text, size_t &i)
{
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int extra = 0;
    char32_t c = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        c = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        c = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        c = b0 & 0x07;
    } else {
        ++i;
        return kInvalidBase + b0;
    }
    if (i + extra >= text.size()) {
        ++i;
        return kInvalidBase + b0;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return kInvalidBase + b0;
        }
        c = (c << 6) | (b & 0x3F);
    }
    i += extra + 1;
    return c;
}

void encode(char32_t c, std::string &out)
{
    if (c >= kInvalidBase) {
        out.push_back(static_cast<char>(c - kInvalidBase));
    } else if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

char32_t baseChar(char32_t c)
{
    return c <= kLastFolded ? tables().base[c] : c;
}

// Compares the keys of the characters of a and b. An ASCII letter keys as its lower case under
// every key, so runs of ASCII (most of any description) skip the decoding.
template <typename Key> int compareBy(std::string_view a, std::string_view b, Key key)
{
    const Tables &t = tables();
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[j]);
        if ((ca | cb) < 0x80) {
            if (t.asciiLower[ca] != t.asciiLower[cb])
                return t.asciiLower[ca] < t.asciiLower[cb] ? -1 : 1;
            ++i;
            ++j;
            continue;
        }
        const char32_t ka = key(decodeAt(a, i));
        const char32_t kb = key(decodeAt(b, j));
        if (ka != kb)
            return ka < kb ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

} // namespace

namespace textfold
{

char32_t foldChar(char32_t c)
{
    return c <= kLastFolded ? tables().fold[c] : c;
}

std::u32string decode(std::string_view text)
{
    std::u32string characters;
    size_t i = 0;
    while (i < text.size())
        characters.push_back(decodeAt(text, i));
    return characters;
}

void appendFolded(std::string_view text, std::string &out)
{
    // Every row a LIKE sees comes through here, and nearly all of them are plain ASCII: one
    // branch-free pass the compiler vectorises lower-cases them and notes any other byte.
    const size_t start = out.size();
    out.resize(start + text.size());
    char *to = out.data() + start;
    unsigned char seen = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        seen |= c;
        to[i] = static_cast<char>(c + (static_cast<unsigned char>(c - 'A') < 26 ? 32 : 0));
    }
    if (seen < 0x80)
        return;

    out.resize(start);
    const Tables &t = tables();
    size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(t.asciiLower[b]));
            ++i;
        } else {
            encode(foldChar(decodeAt(text, i)), out);
        }
    }
}

int compareNoCase(std::string_view a, std::string_view b)
{
    return compareBy(a, b, foldChar);
}

int compareForSorting(std::string_view a, std::string_view b)
{
    // Rows sorted by class and description compare many equal codes and descriptions that open
    // alike. Bytes the two share from the start are the same characters under every key: the
    // keys are compared from the last shared ASCII byte on, after which a character starts.
    if (a == b) // the same code, a description met again: one pass over the bytes
        return 0;
    const size_t shorter = std::min(a.size(), b.size());
    size_t from = 0;
    while (from < shorter && a[from] == b[from])
        ++from;
    while (from > 0 && static_cast<unsigned char>(a[from - 1]) >= 0x80)
        --from;
    a.remove_prefix(from);
    b.remove_prefix(from);
    if (const int primary = compareBy(a, b, baseChar))
        return primary;
    if (const int secondary = compareBy(a, b, foldChar))
        return secondary;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

bool equalNoCase(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (foldChar(a.at(i).unicode()) != foldChar(b.at(i).unicode()))
            return false;
    }
    return true;
}

} // namespace textfold

LikePattern::LikePattern(std::string_view pattern, char32_t escape)
{
    m_segments.emplace_back();
    size_t i = 0;
    while (i < pattern.size()) {
        char32_t c = decodeAt(pattern, i);
        Segment &segment = m_segments.back();
        if (escape != 0 && c == escape) {
            if (i >= pattern.size()) {
                m_matchesNothing = true; // an escape with nothing to escape
                break;
            }
            c = decodeAt(pattern, i);
        } else if (c == '%') {
            m_hasPercent = true;
            m_segments.emplace_back();
            continue;
        } else if (c == '_') {
            segment.pieces.push_back({});
            segment.hasAny = true;
            ++segment.charCount;
            continue;
        }
        if (segment.pieces.empty() || segment.pieces.back().literal.empty())
            segment.pieces.push_back({});
        encode(textfold::foldChar(c), segment.pieces.back().literal);
        ++segment.charCount;
    }
    for (Segment &segment : m_segments) {
        if (!segment.hasAny) {
            for (const Piece &piece : segment.pieces)
                segment.plain += piece.literal;
        }
    }
}

long LikePattern::matchAt(const Segment &segment, std::string_view text, size_t pos)
{
    size_t p = pos;
    for (const Piece &piece : segment.pieces) {
        if (piece.literal.empty()) {
            if (p >= text.size())
                return -1;
            decodeAt(text, p);
        } else {
            if (text.compare(p, piece.literal.size(), piece.literal) != 0)
                return -1;
            p += piece.literal.size();
        }
    }
    return static_cast<long>(p - pos);
}

long LikePattern::find(const Segment &segment, std::string_view text, size_t from, size_t to,
                       size_t *matchEnd)
{
    if (!segment.hasAny) {
        const size_t at = text.substr(0, to).find(segment.plain, from);
        if (at == std::string_view::npos)
            return -1;
        *matchEnd = at + segment.plain.size();
        return static_cast<long>(at);
    }
    size_t p = from;
    while (p < to) {
        const long length = matchAt(segment, text.substr(0, to), p);
        if (length >= 0) {
            *matchEnd = p + static_cast<size_t>(length);
            return static_cast<long>(p);
        }
        decodeAt(text, p);
    }
    return -1;
}

bool LikePattern::matches(std::string_view rawText) const
{
    if (m_matchesNothing)
        return false;
    // A pattern that starts with literal text (a first keyword, a code) fails most rows on their
    // first characters: decide those on the raw ASCII lead, which folds byte for byte, before
    // folding the whole text.
    if (!m_segments.front().pieces.empty()) {
        const std::string &lead = m_segments.front().pieces.front().literal;
        for (size_t i = 0; i < lead.size() && i < rawText.size(); ++i) {
            const auto b = static_cast<unsigned char>(rawText[i]);
            if (b >= 0x80)
                break;
            if (static_cast<char>(tables().asciiLower[b]) != lead[i])
                return false;
        }
    }
    thread_local std::string folded;
    folded.clear();
    textfold::appendFolded(rawText, folded);
    const std::string_view text(folded);

    const Segment &head = m_segments.front();
    const long headLength = matchAt(head, text, 0);
    if (headLength < 0)
        return false;
    if (!m_hasPercent)
        return static_cast<size_t>(headLength) == text.size();

    // The last segment is anchored at the end: it starts charCount characters before it.
    const Segment &tail = m_segments.back();
    size_t tailStart = text.size();
    for (int k = 0; k < tail.charCount; ++k) {
        if (tailStart == 0)
            return false;
        --tailStart;
        while (tailStart > 0 && (static_cast<unsigned char>(text[tailStart]) & 0xC0) == 0x80)
            --tailStart;
    }
    size_t pos = static_cast<size_t>(headLength);
    if (tailStart < pos || matchAt(tail, text, tailStart) != static_cast<long>(text.size() - tailStart))
        return false;

    // Middle segments: leftmost matches in order leave the most room for the rest.
    for (size_t s = 1; s + 1 < m_segments.size(); ++s) {
        size_t end = 0;
        if (find(m_segments[s], text, pos, tailStart, &end) < 0)
            return false;
        pos = end;
    }
    return true;
}

namespace textfold
{

std::string foldedCharacters(std::string_view text, bool *clean)
{
    std::string folded;
    appendFolded(text, folded);
    bool allCharacters = true;
    std::string out;
    out.reserve(folded.size());
    size_t i = 0;
    while (i < folded.size()) {
        const size_t start = i;
        if (decodeAt(folded, i) >= kInvalidBase) {
            out += "\xEF\xBF\xBD";
            allCharacters = false;
        } else {
            out.append(folded, start, i - start);
        }
    }
    if (clean)
        *clean = allCharacters;
    return out;
}

} // namespace textfold
