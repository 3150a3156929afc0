#pragma once

#include <cstddef>
#include <string_view>

// The XML parser recurses once per nesting level and looks for duplicate attributes with a linear
// search, so a hostile document could exhaust the stack or keep it busy for hours. This scan measures
// a document before it is parsed, reading tags, comments, character data and declarations by the
// parser's own rules, so that it never reports less than the parser would build.
struct XmlShape {
    std::size_t depth = 0;      // deepest element nesting
    std::size_t attributes = 0; // most attributes in one start tag
    // An XML declaration whose quoting the scan and the parser might read differently (a quoted
    // value holding blanks, or a quote that does not follow '='); the document's shape is unknown.
    bool ambiguous = false;
};

XmlShape measureXml(std::string_view text);
