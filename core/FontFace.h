#pragma once

// One opened outline face, sized by the cell-height rules of the text rasteriser (see
// TextRasteriser.h). Owns its FreeType face.

#include "core/FontMatch.h"

#include <cstdint>

struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace Velvor {

class FontFace {
public:
    static constexpr int defaultCellHeight = 16;
    // Larger requests are cut to this many pixels so that no size can ask for unbounded work.
    static constexpr int maxCellHeight = 4096;

    // Opens the face of `file`; a file that cannot be read or holds no outlines gives !isOpen().
    FontFace(FT_LibraryRec_* library, const FontFile& file);
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    bool isOpen() const { return face_ != nullptr; }
    const FontFile& file() const { return file_; }
    // Symbol faces have no Unicode map; their glyphs are found by picture code.
    bool usesSymbolCodes() const { return symbolCodes_; }

    // Glyph of a Unicode character, or 0; always 0 in a symbol face.
    unsigned unicodeGlyph(char32_t character) const;
    // Glyph of a picture code of a symbol face, or 0.
    unsigned symbolGlyph(unsigned char code) const;

    // Sizes the face for a requested height; false (and !isSized()) when FreeType refuses the size.
    bool setHeight(std::int64_t height);
    bool isSized() const { return sized_; }
    int cellHeight() const { return cellHeight_; }
    // Rows from the top of the cell down to the baseline.
    int ascent() const { return ascent_; }

    // Loads (and, when asked for, emboldens) the glyph into the face's slot; returns its advance in
    // whole pixels (never negative), or -1 when it cannot be loaded.
    int loadGlyph(unsigned glyph);
    FT_FaceRec_* handle() const { return face_; }

private:
    FT_FaceRec_* face_ = nullptr;
    FontFile file_;
    bool symbolCodes_ = false;
    bool sized_ = false;
    int cellHeight_ = 0;
    int ascent_ = 0;
};

} // namespace Velvor
