#include "io/XmlShape.h"

#include <algorithm>

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

char lowered(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Characters that start an element name for the parser (bytes from 127 up count as letters).
bool startsName(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || byte == '_' || byte >= 0x7F;
}

bool startsWithNoCase(std::string_view text, std::string_view lowerPrefix) {
    return text.size() >= lowerPrefix.size() &&
           std::equal(lowerPrefix.begin(), lowerPrefix.end(), text.begin(),
                      [](char a, char b) { return a == lowered(b); });
}

// Position just past `terminator` from `from` on, or the end of the text.
std::size_t skipPast(std::string_view text, std::size_t from, std::string_view terminator) {
    const std::size_t found = text.find(terminator, from);
    return found == npos ? text.size() : found + terminator.size();
}

struct Tag {
    std::size_t end = 0;        // just past the closing '>'
    std::size_t attributes = 0; // '=' outside quoted values
    bool selfClosing = false;
};

// A start tag from its '<'. The parser takes a quote as a value delimiter only after '=' and fails
// on any other, so up to where it would fail, honouring every quote reads the tag the same way.
Tag scanStartTag(std::string_view text, std::size_t begin) {
    Tag tag{text.size(), 0, false};
    char quote = 0;
    for (std::size_t i = begin + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '=') {
            ++tag.attributes;
        } else if (c == '>') {
            tag.end = i + 1;
            tag.selfClosing = text[i - 1] == '/';
            return tag;
        }
    }
    return tag;
}

// An XML declaration from its '<'. The parser honours quotes only in three of its attributes and
// reads anything else up to a blank or '>'; both readings end at the first '>' as long as every
// quoted value follows '=', closes before that '>' and holds no blank. Returns npos otherwise.
std::size_t scanDeclaration(std::string_view text, std::size_t begin) {
    char quote = 0;
    char previous = 0; // last character outside quotes that is not a blank
    for (std::size_t i = begin + 2; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
                previous = c;
            } else if (isBlank(c) || c == '>') {
                return npos;
            }
        } else if (c == '"' || c == '\'') {
            if (previous != '=') {
                return npos;
            }
            quote = c;
        } else if (c == '>') {
            return i + 1;
        } else if (!isBlank(c)) {
            previous = c;
        }
    }
    return text.size();
}

} // namespace

XmlShape measureXml(std::string_view text) {
    XmlShape shape;
    std::size_t depth = 0;
    std::size_t i = 0;
    // Character data between two pieces of markup becomes one item unless it is all blanks.
    const auto countText = [&](std::size_t from, std::size_t to) {
        if (std::any_of(text.begin() + from, text.begin() + to, [](char c) { return !isBlank(c); })) {
            ++shape.items;
        }
    };
    std::size_t textBegin = 0;
    while ((i = text.find('<', i)) != npos) {
        countText(textBegin, i);
        const std::string_view rest = text.substr(i);
        if (!rest.starts_with("</")) {
            ++shape.items; // an element, comment, character section, declaration or unknown markup
        }
        if (startsWithNoCase(rest, "<?xml")) {
            i = scanDeclaration(text, i);
            if (i == npos) {
                shape.ambiguous = true;
                return shape;
            }
        } else if (rest.starts_with("<!--")) {
            i = skipPast(text, i + 4, "-->");
        } else if (rest.starts_with("<![CDATA[")) {
            i = skipPast(text, i + 9, "]]>");
        } else if (rest.starts_with("</")) {
            depth = depth > 0 ? depth - 1 : 0;
            i = skipPast(text, i + 2, ">");
        } else if (rest.size() > 1 && startsName(rest[1])) {
            const Tag tag = scanStartTag(text, i);
            shape.attributes = std::max(shape.attributes, tag.attributes);
            shape.items += tag.attributes;
            if (!tag.selfClosing) {
                shape.depth = std::max(shape.depth, ++depth);
            }
            i = tag.end;
        } else {
            // Other declarations, processing instructions and a stray '<': read up to the next '>'.
            i = skipPast(text, i + 1, ">");
        }
        textBegin = i;
    }
    countText(textBegin, text.size());
    return shape;
}
