#pragma once

#include <cstddef>
#include <string_view>

// The XML parser recurses once per nesting level, looks for duplicate attributes with a linear
// search and spends a few hundred bytes on every item it builds, so a hostile document could exhaust
// the stack, keep it busy for hours or turn a few bytes per item into gigabytes. This scan measures
// a document before it is parsed, reading tags, comments, character data and declarations by the
// parser's own rules, so that it never reports less than the parser would build.
struct XmlShape {
    std::size_t depth = 0;      // deepest element nesting
    std::size_t attributes = 0; // most attributes in one start tag
    // Elements, attributes, comments, runs of character data and other markup: at least as many as
    // the parser would build.
    std::size_t items = 0;
    // An XML declaration whose quoting the scan and the parser might read differently (a quoted
    // value holding blanks, or a quote that does not follow '='); the document's shape is unknown.
    bool ambiguous = false;
};

XmlShape measureXml(std::string_view text);
