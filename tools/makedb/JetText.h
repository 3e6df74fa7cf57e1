#pragma once

#include "JetPages.h"

#include <string>

namespace makedb::jet
{

// A UTF-8 text as Jet 4 stores it: UCS-2 (UTF-16LE), or, where that is shorter and every
// character can be written so, in Unicode compression: the mark FF FE, then runs of one-byte
// characters (0x01-0xFF) and of two-byte ones, a zero byte switching between the two.
Bytes encodeText(const std::string &utf8);

// "yyyy-MM-dd HH:mm:ss" as a Date/Time value: days since 1899-12-30, the time as the fraction.
double encodeDateTime(const std::string &text);

} // namespace makedb::jet
