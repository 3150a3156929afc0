#include "core/text/FontFace.h"

#include <algorithm>
#include <ft2build.h>
#include <mutex>
#include <unordered_map>
#include <vector>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

namespace Velvor {

namespace {

// Huge ems would give glyph coordinates beyond what FreeType's span records can hold.
constexpr std::int64_t maxPixelsPerEm = std::int64_t{2} * FontFace::maxCellHeight;

// Every face comes from one FreeType library. FreeType lets threads share a library as long as
// opening and closing faces is serialised; everything else works on one face at a time.
struct FaceLibrary {
    std::mutex openClose;
    FT_Library library = nullptr;
    std::mutex idleLock;
    std::vector<std::unique_ptr<FontFace>> idle; // longest waiting first
};

// Never destroyed: texts may still be drawn by other threads while the program exits.
FaceLibrary& faceLibrary() {
    static FaceLibrary* const shared = [] {
        auto* created = new FaceLibrary;
        if (FT_Init_FreeType(&created->library) != 0) {
            created->library = nullptr;
        }
        return created;
    }();
    return *shared;
}

} // namespace

// The glyphs loaded at the current size. Hinting makes loading dear, and a text loads each glyph
// to measure it and again to draw it; the outline kept is what the slot held, so drawing it gives
// the same coverage.
struct FontFace::Glyphs {
    struct Glyph {
        int advance = -1;
        bool hasOutline = false;
        int flags = 0;
        std::vector<FT_Vector> points;
        std::vector<char> tags;
        std::vector<short> contours;
    };
    // Bounds the memory a face keeps for texts of many different characters.
    static constexpr std::size_t limit = 1024;
    std::unordered_map<unsigned, Glyph> loaded;
};

void ReturnFace::operator()(FontFace* face) const {
    std::unique_ptr<FontFace> returned(face);
    if (!returned->isOpen()) {
        return;
    }
    FaceLibrary& shared = faceLibrary();
    std::unique_ptr<FontFace> closed;
    {
        const std::lock_guard lock(shared.idleLock);
        shared.idle.push_back(std::move(returned));
        if (shared.idle.size() > static_cast<std::size_t>(FontFace::idleFaceLimit)) {
            closed = std::move(shared.idle.front());
            shared.idle.erase(shared.idle.begin());
        }
    }
    // Closed outside the pool's lock: closing takes the library's.
}

LentFace FontFace::borrow(const FontFile& file) {
    FaceLibrary& shared = faceLibrary();
    {
        const std::lock_guard lock(shared.idleLock);
        // The most recently returned face first: its memory is the likeliest to be in cache.
        for (auto face = shared.idle.rbegin(); face != shared.idle.rend(); ++face) {
            const FontFile& idle = (*face)->file();
            if (idle.sameFace(file) && idle.embolden == file.embolden) {
                LentFace lent(face->release());
                shared.idle.erase(std::next(face).base());
                return lent;
            }
        }
    }
    return LentFace(new FontFace(file));
}

FontFace::FontFace(const FontFile& file) : file_(file), glyphs_(std::make_unique<Glyphs>()) {
    FaceLibrary& shared = faceLibrary();
    const std::lock_guard lock(shared.openClose);
    if (shared.library == nullptr ||
        FT_New_Face(shared.library, file.path.c_str(), file.index, &face_) != 0) {
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
        const std::lock_guard lock(faceLibrary().openClose);
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
    if (sized_ && height == height_) {
        return true;
    }
    sized_ = false;
    glyphs_->loaded.clear();
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
    height_ = height;
    return true;
}

int FontFace::loadGlyph(unsigned glyph) {
    if (!sized_) {
        return -1;
    }
    if (const auto known = glyphs_->loaded.find(glyph); known != glyphs_->loaded.end()) {
        return known->second.advance;
    }
    if (glyphs_->loaded.size() >= Glyphs::limit) {
        glyphs_->loaded.clear();
    }
    Glyphs::Glyph& kept = glyphs_->loaded[glyph];
    if (FT_Load_Glyph(face_, glyph, FT_LOAD_NO_BITMAP) != 0) {
        return kept.advance;
    }
    const FT_GlyphSlot slot = face_->glyph;
    if (file_.embolden) {
        FT_GlyphSlot_Embolden(slot);
    }
    kept.advance = static_cast<int>(std::max<FT_Pos>((slot->advance.x + 32) >> 6, 0));
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        const FT_Outline& outline = slot->outline;
        kept.hasOutline = true;
        kept.flags = outline.flags;
        kept.points.assign(outline.points, outline.points + outline.n_points);
        kept.tags.assign(outline.tags, outline.tags + outline.n_points);
        kept.contours.assign(outline.contours, outline.contours + outline.n_contours);
    }
    return kept.advance;
}

void FontFace::renderGlyph(unsigned glyph, FT_Raster_Params& params) {
    auto known = glyphs_->loaded.find(glyph);
    if (known == glyphs_->loaded.end() && loadGlyph(glyph) >= 0) { // dropped by the bound meanwhile
        known = glyphs_->loaded.find(glyph);
    }
    if (known == glyphs_->loaded.end() || !known->second.hasOutline) {
        return;
    }
    Glyphs::Glyph& kept = known->second;
    FT_Outline outline{};
    outline.n_points = static_cast<short>(kept.points.size());
    outline.n_contours = static_cast<short>(kept.contours.size());
    outline.points = kept.points.data();
    outline.tags = kept.tags.data();
    outline.contours = kept.contours.data();
    outline.flags = kept.flags;
    FT_Outline_Render(face_->glyph->library, &outline, &params);
}

} // namespace Velvor
