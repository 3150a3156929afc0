#pragma once

// fontconfig look-ups for the text rasteriser, on a private configuration that also knows the folder
// of the metric-compatible desktop faces. Answers are kept for the process (a few dozen at most, the
// oldest dropped first), because asking fontconfig costs far more than drawing a short text; they
// may be used from any thread.

#include <cstddef>
#include <memory>
#include <string>

namespace Velvor {

// Where the Debian package of metric-compatible desktop faces keeps Tahoma and Wingdings; it is not
// part of the usual font path, so whoever draws with those faces adds it.
constexpr const char* desktopFaceFolder = "/usr/share/wine/fonts";

struct FontFile {
    std::string path;
    int index = 0;
    // fontconfig's hint that only a much lighter style exists, so the outlines are to be thickened.
    bool embolden = false;

    bool sameFace(const FontFile& other) const { return index == other.index && path == other.path; }
};

// Best outline face for the family and weight (100 thin .. 1000). fontconfig answers unknown families
// with the default sans face.
bool findFont(const std::string& family, int weight, FontFile& found);

struct FontRanking;

// fontconfig's ranking of the installed faces for one family and weight, asked for on the first
// search (most texts never need it) and kept until the family or weight changes.
class FallbackFonts {
public:
    FallbackFonts() = default;

    void reset(const std::string& family, int weight);

    // Next face at or after `position` in the ranking whose character set holds `character`; moves
    // `position` past it. False when no further face claims the character.
    bool next(char32_t character, std::size_t& position, FontFile& found);

private:
    std::string family_;
    int weight_ = 400;
    // Shared with every other user of the same family and weight; null until the first search.
    std::shared_ptr<const FontRanking> ranking_;
};

} // namespace Velvor
