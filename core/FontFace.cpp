#include "core/FontFace.h"

#include <algorithm>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

namespace Velvor {

namespace {

// Huge ems would give glyph coordinates beyond what FreeType's span records can hold.
constexpr std::int64_t maxPixelsPerEm = std::int64_t{2} * FontFace::maxCellHeight;

} // namespace

FontFace::FontFace(FT_LibraryRec_* library, const FontFile& file) : file_(file) {
    if (library == nullptr || FT_New_Face(library, file.path.c_str(), file.index, &face_) != 0) {
        face_ = nullptr;
        return;
    }
    if (!FT_IS_SCALABLE(face_)) {
        FT_Done_Face(face_);
        face_ = nullptr;
        return;
    }
    // FreeType picks a Unicode map by itself when there is one.
    if (face_->charmap == nullptr && FT_Select_Charmap(face_, FT_ENCODING_MS_SYMBOL) == 0) {
        symbolCodes_ = true;
    }
}

FontFace::~FontFace() {
    if (face_ != nullptr) {
        FT_Done_Face(face_);
    }
}

unsigned FontFace::unicodeGlyph(char32_t character) const {
    if (face_ == nullptr || symbolCodes_ || face_->charmap == nullptr ||
        face_->charmap->encoding != FT_ENCODING_UNICODE) {
        return 0;
    }
    return FT_Get_Char_Index(face_, character);
}

unsigned FontFace::symbolGlyph(unsigned char code) const {
    if (face_ == nullptr || !symbolCodes_) {
        return 0;
    }
    // Symbol faces keep their glyphs at 0xF000 + code; a few map the plain code.
    const unsigned glyph = FT_Get_Char_Index(face_, 0xF000u | code);
    return glyph != 0 ? glyph : FT_Get_Char_Index(face_, code);
}

bool FontFace::setHeight(std::int64_t height) {
    sized_ = false;
    if (face_ == nullptr) {
        return false;
    }
    std::int64_t ascent = face_->ascender;
    std::int64_t descent = -face_->descender;
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
        os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        ascent = os2->usWinAscent;
        descent = os2->usWinDescent;
    }
    const std::int64_t unitsPerEm = std::max<std::int64_t>(face_->units_per_EM, 1);
    std::int64_t cellUnits = ascent + descent;
    if (cellUnits <= 0) {
        ascent = unitsPerEm;
        cellUnits = unitsPerEm;
    }

    // Requests are bounded first so the products below stay small.
    const std::int64_t limited = std::clamp<std::int64_t>(height, -maxCellHeight, maxCellHeight);
    std::int64_t cell = limited;
    if (limited == 0) {
        cell = defaultCellHeight;
    } else if (limited < 0) {
        cell = (-limited * cellUnits + unitsPerEm / 2) / unitsPerEm;
    }
    cell = std::clamp<std::int64_t>(cell, 1, maxCellHeight);

    const std::int64_t pixelsPerEm =
        std::clamp<std::int64_t>((cell * unitsPerEm + cellUnits / 2) / cellUnits, 1, maxPixelsPerEm);
    if (FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixelsPerEm)) != 0) {
        return false;
    }
    cellHeight_ = static_cast<int>(cell);
    ascent_ =
        static_cast<int>(std::clamp<std::int64_t>((ascent * cell + cellUnits / 2) / cellUnits, 0, cell));
    sized_ = true;
    return true;
}

int FontFace::loadGlyph(unsigned glyph) {
    if (!sized_ || FT_Load_Glyph(face_, glyph, FT_LOAD_NO_BITMAP) != 0) {
        return -1;
    }
    if (file_.embolden) {
        FT_GlyphSlot_Embolden(face_->glyph);
    }
    return static_cast<int>(std::max<FT_Pos>((face_->glyph->advance.x + 32) >> 6, 0));
}

} // namespace Velvor
