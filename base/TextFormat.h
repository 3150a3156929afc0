#pragma once

#include "base/Point.h"

#include <cstdint>
#include <string>
#include <string_view>

// Value forms of the material file. The parsers never fail: malformed text gives 0 or a partial value.

// "x,y" as two signed decimals, e.g. "12,-3".
std::string formatPoint(Point point);
// Blanks are dropped; x is read before the first comma, y after it (later commas belong to y).
Point parsePoint(std::string_view text);

// Eight upper-case hexadecimal digits of the value taken as unsigned.
std::string formatHex32(std::int32_t value);
// Read from the last character to the first; any non-hex character counts as a zero digit and the
// sum wraps at 32 bits, so "0x1F" is 31 and "FFFFFFFF" is -1.
std::int32_t parseHex(std::string_view text);

// ASCII A-Z to a-z; every other byte unchanged.
std::string toLower(std::string_view text);

// Like the C runtime's atoi: optional blanks and sign, then leading digits; no digits gives 0.
// Saturates instead of overflowing.
std::int32_t parseDecimal(std::string_view text);
