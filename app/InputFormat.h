#pragma once

// Telling an input's kind from its content, not its name.

#include <cstdint>
#include <vector>

// Nothing but blanks (after a UTF-8 byte order mark), or no bytes at all.
bool isBlankText(const std::vector<std::uint8_t>& bytes);

// A material file is text starting with '<' (after a UTF-8 byte order mark and blanks); no packed
// record starts with that byte.
bool looksLikeXml(const std::vector<std::uint8_t>& bytes);

// Text saved as UTF-16 (with its byte order mark, or as '<' and a zero byte) would otherwise read as
// a packed file, and one starting with 0xFF as an empty material.
bool looksLikeUtf16(const std::vector<std::uint8_t>& bytes);
