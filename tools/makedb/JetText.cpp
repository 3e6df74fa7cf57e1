#include "JetText.h"

#include <cstdio>
#include <stdexcept>

namespace makedb::jet
{

namespace
{

std::u16string utf16(const std::string &utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80    ? 1
                                   : lead >= 0xF0 ? 4
                                   : lead >= 0xE0 ? 3
                                   : lead >= 0xC0 ? 2
                                                  : 0;
        if (length == 0 || i + length > utf8.size())
            throw std::invalid_argument("text is not UTF-8");
        char32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (std::size_t k = 1; k < length; ++k)
            code = code << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += length;
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

// Readers toggle modes on any zero byte where a character starts, so a two-byte character whose
// low byte is zero (U+0100, U+2000, ...) cannot be written compressed, nor can U+0000.
bool compressible(const std::u16string &text)
{
    for (char16_t c : text)
        if ((c & 0xFF) == 0)
            return false;
    return true;
}

long long daysFromCivil(long long year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<long long>(dayOfEra) - 719468; // days since 1970-01-01
}

} // namespace

Bytes encodeText(const std::string &utf8)
{
    const std::u16string text = utf16(utf8);
    Bytes plain;
    plain.reserve(text.size() * 2);
    for (char16_t c : text)
        append16(plain, c);
    if (text.empty() || !compressible(text))
        return plain;

    Bytes packed{0xFF, 0xFE};
    bool oneByte = true;
    for (char16_t c : text) {
        const bool small = c <= 0xFF;
        if (small != oneByte) {
            packed.push_back(0x00);
            oneByte = small;
        }
        if (small)
            packed.push_back(static_cast<std::uint8_t>(c));
        else
            append16(packed, c);
    }
    return packed.size() < plain.size() ? packed : plain;
}

double encodeDateTime(const std::string &text)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &year, &month, &day, &hour, &minute, &second,
                    &tail) != 6)
        throw std::invalid_argument("not a date and time: " + text);
    const long long days =
        daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + 25569;
    return static_cast<double>(days) + (hour * 3600 + minute * 60 + second) / 86400.0;
}

} // namespace makedb::jet
