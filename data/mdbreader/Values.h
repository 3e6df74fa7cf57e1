#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Decoders for stored Access values that libmdb converts lossily or not at all. Each takes the
// value's bytes and returns UTF-8 text (or a number); none reads past size.
namespace values
{

std::uint32_t u32At(const unsigned char *bytes);

// Jet 4 text: UTF-16LE, or "Unicode compressed" when it starts with FF FE (runs of one-byte
// characters and of UTF-16 units, each 00 byte switching). Surrogate pairs make one character; a
// lone surrogate becomes U+FFFD.
std::string jet4Text(const unsigned char *bytes, std::size_t size);

// The same text appended to `out`, decoded a run at a time: Latin text (the bulk of a table)
// costs a few instructions per character, where jet4Text goes one UTF-16 unit at a time.
void appendJet4Text(std::string &out, const unsigned char *bytes, std::size_t size);

// The shortest decimal that reads back as the same single-precision number, as Access shows it;
// the caller stores it as a double, which then prints the same way.
double shortestSingle(float value);

// An exact decimal of a 128-bit magnitude with `scale` decimal places: "-102030405060.654321".
std::string decimalText(unsigned __int128 magnitude, bool negative, int scale);

// A stored Numeric (sign byte, then four 32-bit little-endian words, most significant first).
std::string numericText(const unsigned char *bytes, int scale);

// A Numeric stored as a calculated column's result: length, scale, sign, then the magnitude in
// 8-byte little-endian pieces (the first piece 4 bytes when the length is not a multiple of 8).
// Empty when the bytes do not hold such a value.
std::string calculatedNumericText(const unsigned char *bytes, std::size_t size);

// A Currency: a 64-bit count of ten-thousandths, with its four decimals.
std::string currencyText(std::int64_t units);

// A Date/Time (days since 1899-12-30 as a double) as "YYYY-MM-DD HH:MM:SS". False when the
// number is no date.
bool dateTimeText(double stored, std::string &text);

// A Date/Time Extended value ("DDDDDDDDDDDDDDDDDDD:TTTTTTTTTTTTTTTTTTT:P": days since 0001-01-01,
// 100 ns since midnight) as "YYYY-MM-DD HH:MM:SS.fffffff" without trailing zeros. False when the
// bytes are not such a value.
bool extendedDateTimeText(const unsigned char *bytes, std::size_t size, std::string &text);

// A replication ID (GUID) as Access prints it: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
std::string guidText(const unsigned char *bytes);

} // namespace values
