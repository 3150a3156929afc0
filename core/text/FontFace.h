#pragma once

// One opened outline face, sized by the cell-height rules of the text rasteriser (see
// TextRasteriser.h). Owns its FreeType face.
//
// Opening a face costs far more than drawing a short text with it, so opened faces are kept for the
// process and lent out: a FreeType face serves one thread at a time, so a face is lent to one user
// at once and comes back to the pool when that user is done with it. At most idleFaceLimit faces
// wait unused; the longest-waiting ones beyond that are closed.

#include "core/text/FontMatch.h"

#include <cstdint>
#include <memory>

struct FT_FaceRec_;
struct FT_Raster_Params_;

namespace Velvor {

class FontFace;

struct ReturnFace {
    void operator()(FontFace* face) const;
};
using LentFace = std::unique_ptr<FontFace, ReturnFace>;

class FontFace {
public:
    static constexpr int idleFaceLimit = 16;

    // An idle face of `file` (same emboldening too), or a newly opened one; a file that cannot be
    // read or holds no outlines gives !isOpen(). Any thread may borrow.
    static LentFace borrow(const FontFile& file);

    static constexpr int defaultCellHeight = 16;
    // Larger requests are cut to this many pixels so that no size can ask for unbounded work.
    static constexpr int maxCellHeight = 4096;

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
    // Asking again for the height it has costs nothing.
    bool setHeight(std::int64_t height);
    bool isSized() const { return sized_; }
    int cellHeight() const { return cellHeight_; }
    // Rows from the top of the cell down to the baseline.
    int ascent() const { return ascent_; }

    // Advance of the glyph in whole pixels (never negative), or -1 when it cannot be loaded. Each
    // glyph is loaded (and, when asked for, emboldened) once per size; its outline is kept.
    int loadGlyph(unsigned glyph);
    // Renders the kept outline of a glyph loaded at the current size with FreeType's rasteriser;
    // nothing for a glyph that has none.
    void renderGlyph(unsigned glyph, FT_Raster_Params_& params);

private:
    struct Glyphs;

    explicit FontFace(const FontFile& file);

    FT_FaceRec_* face_ = nullptr;
    FontFile file_;
    bool symbolCodes_ = false;
    bool sized_ = false;
    std::int64_t height_ = 0; // the request the face is sized for, when sized_
    std::unique_ptr<Glyphs> glyphs_;
    int cellHeight_ = 0;
    int ascent_ = 0;
};

} // namespace Velvor
