#pragma once

// Anti-aliased text coverage with FreeType, faces found through fontconfig. Sizes follow the classic
// desktop text API the operator's numbers were made for:
// - a positive height is the CELL height: ascent + descent, taken from the OS/2 winAscent/winDescent
//   (hhea ascender/descender when those are missing), so the em is smaller than the height asked for;
// - a negative height is the em height (its absolute value); 0 asks for the default cell height;
// - the text box is the sum of the rounded glyph advances (no kerning) wide and one cell high, with
//   the baseline `ascent` rows below its top.
// Bytes of the text are characters as TextCharacters.h describes. A character the chosen face lacks
// is drawn from the best-ranked installed face that has it, sized by the same rules and set on the
// same baseline; where such a face reaches further above or below the baseline, the box grows to
// hold its cell. A character no face has keeps the chosen face's missing-glyph box.

#include "base/Point.h"
#include "core/text/FontFace.h"
#include "core/text/TextCharacters.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Velvor {

class FallbackFonts;

// A rectangle of the text box in pixels, rows counted from the top of the box.
struct TextRegion {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

class TextRasteriser {
public:
    TextRasteriser();
    ~TextRasteriser();
    TextRasteriser(const TextRasteriser&) = delete;
    TextRasteriser& operator=(const TextRasteriser&) = delete;

    // Selects the face named `family` at the nearest available style for `weight` (100 thin .. 900
    // heavy; 0 and below mean normal) and sizes it for `height` (see above); the text's bytes are read
    // in `characters`. A family fontconfig does not know falls back to the default sans face. Faces
    // are looked up and borrowed only when family or weight change, and kept until then. Returns
    // false when no face at all can be opened.
    bool select(const std::string& family, int weight, std::int64_t height,
                CharacterSet characters = CharacterSet::western);

    // Extent of the text's box as x = width, y = height; valid after a successful select().
    Point measure(std::string_view text);

    // Adds the coverage (0..255) of the text's glyphs inside `region` of the box to `coverage`, a
    // zero-filled top-down buffer of region.width x region.height bytes. The region lies inside the
    // box; glyph parts outside it are cut.
    void render(std::string_view text, const TextRegion& region, std::uint8_t* coverage);

private:
    static constexpr int unresolved = -1;
    static constexpr int unknownAdvance = -2;
    // Where a character byte's glyph comes from at the current faces and size.
    struct Glyph {
        int face = unresolved; // index into faces_
        unsigned index = 0;
        int advance = unknownAdvance; // whole pixels; -1 when the glyph cannot be loaded
    };
    struct Line {
        std::int64_t width = 0;
        int ascent = 0;
        int descent = 0;
    };

    bool openChosenFace(const std::string& family, int weight);
    void closeFaces();
    const Glyph& glyphOf(unsigned char character);
    void resolve(unsigned char character, Glyph& glyph);
    // Index in faces_ of the best-ranked other face with a glyph for `character`, or -1.
    int fallbackFor(char32_t character, unsigned& index);
    // Index in faces_ of `file`, opening and sizing it on first use; -1 when it cannot be used.
    int faceFor(const FontFile& file);
    Line lineOf(std::string_view text);

    // faces_[0] is the chosen face; then the fallback faces used so far.
    std::vector<LentFace> faces_;
    // Ranked faces found unusable (no outlines, no Unicode map), so they are not opened again.
    std::vector<FontFile> refused_;
    std::unique_ptr<FallbackFonts> fallbacks_;
    std::string family_;
    int weight_ = 0;
    CharacterSet characters_ = CharacterSet::western;
    std::int64_t height_ = 0;
    bool sized_ = false;
    std::array<Glyph, 256> glyphs_{};
};

} // namespace Velvor
