#include "app/InputFormat.h"

#include <algorithm>
#include <initializer_list>

namespace {

bool isBlank(std::uint8_t b) {
    return b == ' ' || b == '\t' || b == '\r' || b == '\n';
}

bool startsWith(const std::vector<std::uint8_t>& bytes, std::initializer_list<std::uint8_t> prefix) {
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

std::vector<std::uint8_t>::const_iterator afterByteOrderMark(const std::vector<std::uint8_t>& bytes) {
    return bytes.begin() + (startsWith(bytes, {0xEF, 0xBB, 0xBF}) ? 3 : 0);
}

} // namespace

bool isBlankText(const std::vector<std::uint8_t>& bytes) {
    return std::all_of(afterByteOrderMark(bytes), bytes.end(), isBlank);
}

bool looksLikeXml(const std::vector<std::uint8_t>& bytes) {
    const auto first = std::find_if_not(afterByteOrderMark(bytes), bytes.end(), isBlank);
    return first != bytes.end() && *first == '<';
}

bool looksLikeUtf16(const std::vector<std::uint8_t>& bytes) {
    return startsWith(bytes, {0xFF, 0xFE}) || startsWith(bytes, {0xFE, 0xFF}) ||
           startsWith(bytes, {'<', 0}) || startsWith(bytes, {0, '<'});
}
