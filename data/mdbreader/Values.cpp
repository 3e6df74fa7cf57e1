#include "Values.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace values
{

namespace
{

void appendUtf8(std::string &out, std::uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Turns UTF-16 units into UTF-8, pairing surrogates.
class Utf16ToUtf8
{
public:
    explicit Utf16ToUtf8(std::string &out) : m_out(out) {}
    Utf16ToUtf8(const Utf16ToUtf8 &) = delete;
    Utf16ToUtf8 &operator=(const Utf16ToUtf8 &) = delete;

    void unit(std::uint16_t u)
    {
        if (u >= 0xDC00 && u <= 0xDFFF && m_high) {
            appendUtf8(m_out, 0x10000 + ((std::uint32_t(m_high) - 0xD800) << 10) + (u - 0xDC00));
            m_high = 0;
            return;
        }
        flush();
        if (u >= 0xD800 && u <= 0xDBFF)
            m_high = u;
        else
            appendUtf8(m_out, u >= 0xDC00 && u <= 0xDFFF ? 0xFFFD : u);
    }

    // A high surrogate left waiting at the end has lost its partner.
    void flush()
    {
        if (m_high)
            appendUtf8(m_out, 0xFFFD);
        m_high = 0;
    }

private:
    std::string &m_out;
    std::uint16_t m_high = 0;
};

// Days since 1899-12-30 to a proleptic Gregorian date, counted from 0000-03-01 so that leap days
// fall at the end of the year.
void civilDate(long long days, long long &year, long long &month, long long &day)
{
    const long long z = days + 693899;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long dayOfEra = z - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long mp = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

bool digits(const unsigned char *bytes, std::size_t count, unsigned long long &value)
{
    value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (bytes[i] < '0' || bytes[i] > '9')
            return false;
        value = value * 10 + (bytes[i] - '0');
    }
    return true;
}

} // namespace

std::uint32_t u32At(const unsigned char *b)
{
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
           std::uint32_t(b[3]) << 24;
}

std::string jet4Text(const unsigned char *bytes, std::size_t size)
{
    std::string out;
    out.reserve(size * 2);
    Utf16ToUtf8 decoder(out);
    // Compressed text starts with FF FE; inside it every 00 byte switches between runs of
    // one-byte characters and runs of UTF-16 units.
    const bool switching = size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
    bool compressed = switching;
    std::size_t i = switching ? 2 : 0;
    while (i < size) {
        if (switching && bytes[i] == 0) {
            compressed = !compressed;
            ++i;
        } else if (compressed) {
            decoder.unit(bytes[i++]);
        } else if (i + 1 < size) {
            decoder.unit(static_cast<std::uint16_t>(bytes[i] | bytes[i + 1] << 8));
            i += 2;
        } else {
            break;
        }
    }
    decoder.flush();
    return out;
}

namespace
{

// UTF-8 straight into a buffer sized for the worst case.
unsigned char *putUtf8(unsigned char *o, std::uint32_t code)
{
    if (code < 0x80) {
        *o++ = static_cast<unsigned char>(code);
    } else if (code < 0x800) {
        *o++ = static_cast<unsigned char>(0xC0 | (code >> 6));
        *o++ = static_cast<unsigned char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        *o++ = static_cast<unsigned char>(0xE0 | (code >> 12));
        *o++ = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
        *o++ = static_cast<unsigned char>(0x80 | (code & 0x3F));
    } else {
        *o++ = static_cast<unsigned char>(0xF0 | (code >> 18));
        *o++ = static_cast<unsigned char>(0x80 | ((code >> 12) & 0x3F));
        *o++ = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
        *o++ = static_cast<unsigned char>(0x80 | (code & 0x3F));
    }
    return o;
}

std::uint64_t u64At(const unsigned char *b)
{
    std::uint64_t value;
    std::memcpy(&value, b, 8);
    return value; // the machine is little-endian, as the file is
}

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

} // namespace

void appendJet4Text(std::string &out, const unsigned char *bytes, std::size_t size)
{
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "pages are read as little-endian words");
    const std::size_t at = out.size();
    // A byte gives at most two UTF-8 bytes (a one-byte character up to U+00FF, a unit up to U+FFFF
    // from two bytes, a surrogate pair's four from four), and a high surrogate left over three.
    out.resize(at + 2 * size + 3);
    auto *const begin = reinterpret_cast<unsigned char *>(&out[at]);
    unsigned char *o = begin;
    std::uint16_t high = 0; // a high surrogate waiting for its partner
    const auto unit = [&](std::uint16_t u) {
        if (u >= 0xDC00 && u <= 0xDFFF && high) {
            o = putUtf8(o, 0x10000 + ((std::uint32_t(high) - 0xD800) << 10) + (u - 0xDC00));
            high = 0;
            return;
        }
        if (high)
            o = putUtf8(o, 0xFFFD);
        high = 0;
        if (u >= 0xD800 && u <= 0xDBFF)
            high = u;
        else
            o = putUtf8(o, u >= 0xDC00 && u <= 0xDFFF ? 0xFFFD : u);
    };
    const bool switching = size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
    bool compressed = switching;
    std::size_t i = switching ? 2 : 0;
    while (i < size) {
        if (switching && bytes[i] == 0) {
            compressed = !compressed;
            ++i;
        } else if (compressed) {
            // Eight one-byte characters at once while they are ASCII and none is the switch.
            if (!high) {
                while (i + 8 <= size) {
                    const std::uint64_t w = u64At(bytes + i);
                    if ((w & kHighBits) != 0 || ((w - 0x0101010101010101ULL) & ~w & kHighBits) != 0)
                        break;
                    std::memcpy(o, bytes + i, 8);
                    o += 8;
                    i += 8;
                }
            }
            while (i < size && bytes[i] != 0)
                unit(bytes[i++]);
        } else if (i + 1 < size) {
            // Four ASCII units at once in text that has no switches.
            if (!switching && !high) {
                while (i + 8 <= size) {
                    const std::uint64_t w = u64At(bytes + i);
                    if ((w & 0xFF80FF80FF80FF80ULL) != 0)
                        break;
                    o[0] = bytes[i];
                    o[1] = bytes[i + 2];
                    o[2] = bytes[i + 4];
                    o[3] = bytes[i + 6];
                    o += 4;
                    i += 8;
                }
                if (i + 1 >= size)
                    continue;
            }
            unit(static_cast<std::uint16_t>(bytes[i] | bytes[i + 1] << 8));
            i += 2;
        } else {
            break;
        }
    }
    if (high)
        o = putUtf8(o, 0xFFFD);
    out.resize(at + static_cast<std::size_t>(o - begin));
}

double shortestSingle(float value)
{
    if (!std::isfinite(value))
        return value;
    char text[32];
    for (int digitsWanted = 1; digitsWanted <= 9; ++digitsWanted) {
        std::snprintf(text, sizeof text, "%.*g", digitsWanted, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value)
            break;
    }
    return std::strtod(text, nullptr);
}

std::string decimalText(unsigned __int128 magnitude, bool negative, int scale)
{
    std::string digitsText;
    do {
        digitsText.insert(digitsText.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude != 0);
    if (scale > 0) {
        if (digitsText.size() <= static_cast<std::size_t>(scale))
            digitsText.insert(0, static_cast<std::size_t>(scale) + 1 - digitsText.size(), '0');
        digitsText.insert(digitsText.size() - static_cast<std::size_t>(scale), 1, '.');
    }
    const bool zero = digitsText.find_first_not_of("0.") == std::string::npos;
    return negative && !zero ? "-" + digitsText : digitsText;
}

std::string numericText(const unsigned char *bytes, int scale)
{
    unsigned __int128 magnitude = 0;
    for (int word = 0; word < 4; ++word)
        magnitude = magnitude << 32 | u32At(bytes + 1 + 4 * word);
    return decimalText(magnitude, (bytes[0] & 0x80) != 0, scale);
}

std::string calculatedNumericText(const unsigned char *bytes, std::size_t size)
{
    if (size < 8)
        return {};
    const unsigned stated = static_cast<unsigned>(bytes[0] | bytes[1] << 8);
    std::size_t length = (stated > 0 ? stated : size - 2) - 2;
    length = std::min<std::size_t>(length / 4 * 4, 16);
    if (length == 0 || 4 + length > size)
        return {};
    const int scale = bytes[2];
    const bool negative = bytes[3] != 0;
    const unsigned char *p = bytes + 4;
    unsigned __int128 magnitude = 0;
    std::size_t at = 0;
    if (length % 8 != 0) {
        magnitude = u32At(p);
        at = 4;
    }
    for (; at < length; at += 8)
        magnitude = magnitude << 64 | (static_cast<std::uint64_t>(u32At(p + at + 4)) << 32 | u32At(p + at));
    if (scale > 38)
        return {};
    return decimalText(magnitude, negative, scale);
}

std::string currencyText(std::int64_t units)
{
    const bool negative = units < 0;
    const unsigned __int128 magnitude =
        negative ? static_cast<unsigned __int128>(-(units + 1)) + 1 : static_cast<unsigned __int128>(units);
    return decimalText(magnitude, negative, 4);
}

bool dateTimeText(double stored, std::string &text)
{
    if (!std::isfinite(stored) || std::fabs(stored) > 3.0e6)
        return false;
    const double wholeDays = std::trunc(stored);
    // The fraction is the time of day, counted forward even for days before 1899-12-30.
    long long seconds = std::llround(std::fabs(stored - wholeDays) * 86400.0);
    long long days = static_cast<long long>(wholeDays);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++days;
    }
    long long year = 0, month = 0, day = 0;
    civilDate(days, year, month, day);
    char out[96];
    std::snprintf(out, sizeof out, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld", year, month, day,
                  seconds / 3600, (seconds / 60) % 60, seconds % 60);
    text = out;
    return true;
}

bool extendedDateTimeText(const unsigned char *bytes, std::size_t size, std::string &text)
{
    constexpr std::size_t kDigits = 19;
    unsigned long long days = 0, ticks = 0;
    if (size < 2 * kDigits + 1 || bytes[kDigits] != ':' || !digits(bytes, kDigits, days) ||
        !digits(bytes + kDigits + 1, kDigits, ticks))
        return false;
    constexpr unsigned long long kTicksPerSecond = 10000000ULL;
    constexpr unsigned long long kDaysFromYearOneTo1899 = 693593; // 0001-01-01 to 1899-12-30
    if (days > 3652058 || ticks >= 86400ULL * kTicksPerSecond)    // beyond 9999-12-31, beyond midnight
        return false;
    long long year = 0, month = 0, day = 0;
    civilDate(static_cast<long long>(days) - static_cast<long long>(kDaysFromYearOneTo1899), year, month,
              day);
    const unsigned long long seconds = ticks / kTicksPerSecond;
    char out[96];
    std::snprintf(out, sizeof out, "%04lld-%02lld-%02lld %02llu:%02llu:%02llu", year, month, day,
                  seconds / 3600, (seconds / 60) % 60, seconds % 60);
    text = out;
    if (const unsigned long long fraction = ticks % kTicksPerSecond; fraction != 0) {
        char digitsText[16];
        std::snprintf(digitsText, sizeof digitsText, ".%07llu", fraction);
        std::string f = digitsText;
        f.erase(f.find_last_not_of('0') + 1);
        text += f;
    }
    return true;
}

std::string guidText(const unsigned char *b)
{
    char out[40];
    std::snprintf(out, sizeof out, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", u32At(b),
                  unsigned(b[4] | b[5] << 8), unsigned(b[6] | b[7] << 8), b[8], b[9], b[10], b[11], b[12],
                  b[13], b[14], b[15]);
    return out;
}

} // namespace values
