#pragma once

// Anti-aliased text coverage with FreeType, faces found through fontconfig. Sizes follow the classic
// desktop text API the operator's numbers were made for:
// - a positive height is the CELL height: ascent + descent, taken from the OS/2 winAscent/winDescent
//   (hhea ascender/descender when those are missing), so the em is smaller than the height asked for;
// - a negative height is the em height (its absolute value); 0 asks for the default cell height;
// - the text box is the sum of the rounded glyph advances (no kerning) wide and one cell high, with
//   the baseline `ascent` rows below its top.
// Bytes of the text are single characters in the Western Windows code page; symbol faces (no Unicode
// map) take the byte as their symbol code.

#include "base/Point.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace Velvor {

// A rectangle of the text box in pixels, rows counted from the top of the box.
struct TextRegion {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

class TextRasteriser {
public:
    static constexpr int defaultCellHeight = 16;
    // Larger requests are cut to this many pixels so that no size can ask for unbounded work.
    static constexpr int maxCellHeight = 4096;

    TextRasteriser();
    ~TextRasteriser();
    TextRasteriser(const TextRasteriser&) = delete;
    TextRasteriser& operator=(const TextRasteriser&) = delete;

    // Selects the face named `family` at the nearest available style for `weight` (100 thin .. 900
    // heavy; 0 and below mean normal) and sizes it for `height` (see above). A family fontconfig does
    // not know falls back to the default sans face. The face is looked up and opened only when family
    // or weight change. Returns false when no face at all can be opened.
    bool select(const std::string& family, int weight, std::int64_t height);

    // Extent of the text's box as x = width, y = height; valid after a successful select().
    Point measure(std::string_view text);

    // Adds the coverage (0..255) of the text's glyphs inside `region` of the box to `coverage`, a
    // zero-filled top-down buffer of region.width x region.height bytes. The region lies inside the
    // box; glyph parts outside it are cut.
    void render(std::string_view text, const TextRegion& region, std::uint8_t* coverage);

private:
    bool openFace(const std::string& family, int weight);
    void applyHeight(std::int64_t height);
    unsigned glyphIndex(unsigned char character) const;
    // Loads (and, when fontconfig asks for it, emboldens) the glyph; returns its advance in whole
    // pixels (never negative), or -1 when the glyph cannot be loaded.
    int loadGlyph(unsigned char character);
    void closeFace();

    FT_LibraryRec_* library_ = nullptr;
    FT_FaceRec_* face_ = nullptr;
    std::string family_;
    int weight_ = 0;
    std::int64_t height_ = 0;
    bool sized_ = false;
    bool embolden_ = false;
    bool symbolMap_ = false;
    int cellHeight_ = 0;
    int ascent_ = 0;
    // Advance per character byte at the current face and size; unknownAdvance until first measured.
    static constexpr int unknownAdvance = -2;
    std::array<int, 256> advances_{};
};

} // namespace Velvor
