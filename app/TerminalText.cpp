#include "app/TerminalText.h"

std::string escapeControlCharacters(std::string_view text) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            result += "\\x";
            result += hex[byte >> 4];
            result += hex[byte & 0xF];
        } else {
            result += c;
        }
    }
    return result;
}
