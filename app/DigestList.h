#pragma once

// --digest and --check. A list line is "<k> slot<index> <width>x<height> <digest> <name>"; the name
// is for people only, so a packed export can be checked against its material's list.

#include "app/RenderReport.h"
#include "core/Image.h"

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

class DigestList {
public:
    // Reads the expected lines of a --check list (comment lines start with '#').
    void readExpected(const std::string& file);
    // Forgets the lines of the previous input.
    void clear() { lines_.clear(); }
    // The collector's line without its name, kept for check().
    const std::string& add(std::size_t index, int slot, const Velvor::Image& image, std::string name);
    // Names each line that differs on `err` and in the report, then raises Exception when any did;
    // otherwise says so on `out` when `printSummary`.
    void check(const std::string& file, InputReport& report, std::ostream& out, std::ostream& err,
               bool printSummary) const;

private:
    struct Line {
        std::string key; // everything but the name
        std::string name;
    };
    std::vector<std::string> expected_;
    std::vector<Line> lines_;
};
