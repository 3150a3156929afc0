#include "core/TextRasteriser.h"

#include <algorithm>
#include <filesystem>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include <limits>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#if defined(__SANITIZE_ADDRESS__)
#define VELVOR_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELVOR_LEAK_CHECKED 1
#endif
#endif

#ifdef VELVOR_LEAK_CHECKED
// fontconfig 2.14 loses a few bytes while parsing its configuration files, once per loaded
// configuration; the leak checker would fail every program that draws text.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif

namespace Velvor {

namespace {

// Where the Debian package of metric-compatible desktop faces keeps Tahoma and Wingdings; it is not
// part of the usual font path.
constexpr const char* extraFontFolder = "/usr/share/wine/fonts";

// Huge ems would give glyph coordinates beyond what FreeType's span records can hold.
constexpr std::int64_t maxPixelsPerEm = std::int64_t{2} * TextRasteriser::maxCellHeight;

// A private configuration, loaded once per process, so the extra folder never changes what other
// users of fontconfig in the same program (the GUI toolkit) see.
FcConfig* fontConfig() {
    static FcConfig* const config = [] {
        FcConfig* loaded = FcInitLoadConfigAndFonts();
        std::error_code error;
        if (loaded != nullptr && std::filesystem::is_directory(extraFontFolder, error)) {
            FcConfigAppFontAddDir(loaded, reinterpret_cast<const FcChar8*>(extraFontFolder));
        }
        return loaded;
    }();
    return config;
}

struct FontFile {
    std::string path;
    int index = 0;
    bool embolden = false;
};

// Best outline face for the family and weight. fontconfig answers unknown families with the default
// sans face, and with an emboldening hint when only much lighter styles exist.
bool findFont(const std::string& family, int weight, FontFile& found) {
    FcConfig* config = fontConfig();
    if (config == nullptr) {
        return false;
    }
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return false;
    }
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) {
        return false;
    }
    FcChar8* file = nullptr;
    int index = 0;
    FcBool embolden = FcFalse;
    const bool ok = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr;
    if (ok) {
        found.path = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden);
        found.index = index;
        found.embolden = embolden == FcTrue;
    }
    FcPatternDestroy(match);
    return ok;
}

// Weights 0 and below mean "don't care", which is normal; above 1000 there is nothing heavier.
int normaliseWeight(int weight) {
    return weight <= 0 ? 400 : std::min(weight, 1000);
}

// Unicode of a byte in the Western Windows code page; 0x80..0x9F differ from Latin-1.
unsigned westernCodePoint(unsigned char c) {
    static constexpr std::uint16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    return (c >= 0x80 && c < 0xA0) ? high[c - 0x80] : c;
}

struct SpanTarget {
    std::uint8_t* coverage;
    int width;
    int height;
    int columnOffset; // coverage column = span x + columnOffset
    int rowOrigin;    // coverage row = rowOrigin - span y (span rows count upwards)
};

// Glyphs that overlap are laid over each other like paint over paint, not added.
void blendSpans(int y, int count, const FT_Span* spans, void* user) {
    const auto& target = *static_cast<const SpanTarget*>(user);
    const int row = target.rowOrigin - y;
    if (row < 0 || row >= target.height) {
        return;
    }
    std::uint8_t* line =
        target.coverage + static_cast<std::size_t>(row) * static_cast<std::size_t>(target.width);
    for (int s = 0; s < count; ++s) {
        const int begin = std::max(0, spans[s].x + target.columnOffset);
        const int end = std::min(target.width, spans[s].x + spans[s].len + target.columnOffset);
        const unsigned add = spans[s].coverage;
        for (int c = begin; c < end; ++c) {
            const unsigned old = line[c];
            line[c] = static_cast<std::uint8_t>(old + ((255 - old) * add + 127) / 255);
        }
    }
}

} // namespace

TextRasteriser::TextRasteriser() {
    if (FT_Init_FreeType(&library_) != 0) {
        library_ = nullptr;
    }
}

TextRasteriser::~TextRasteriser() {
    closeFace();
    if (library_ != nullptr) {
        FT_Done_FreeType(library_);
    }
}

void TextRasteriser::closeFace() {
    if (face_ != nullptr) {
        FT_Done_Face(face_);
        face_ = nullptr;
    }
    sized_ = false;
}

bool TextRasteriser::select(const std::string& family, int weight, std::int64_t height) {
    weight = normaliseWeight(weight);
    if (face_ == nullptr || family != family_ || weight != weight_) {
        closeFace();
        family_ = family;
        weight_ = weight;
        if (!openFace(family, weight) && !openFace("sans-serif", weight)) {
            return false;
        }
    }
    if (!sized_ || height != height_) {
        applyHeight(height);
    }
    return sized_;
}

bool TextRasteriser::openFace(const std::string& family, int weight) {
    FontFile file;
    if (library_ == nullptr || !findFont(family, weight, file)) {
        return false;
    }
    if (FT_New_Face(library_, file.path.c_str(), file.index, &face_) != 0) {
        face_ = nullptr;
        return false;
    }
    if (!FT_IS_SCALABLE(face_)) {
        closeFace();
        return false;
    }
    symbolMap_ = false;
    if (face_->charmap == nullptr && FT_Select_Charmap(face_, FT_ENCODING_MS_SYMBOL) == 0) {
        symbolMap_ = true;
    }
    embolden_ = file.embolden;
    return true;
}

void TextRasteriser::applyHeight(std::int64_t height) {
    height_ = height;
    sized_ = false;
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
        return;
    }
    advances_.fill(unknownAdvance);
    cellHeight_ = static_cast<int>(cell);
    ascent_ =
        static_cast<int>(std::clamp<std::int64_t>((ascent * cell + cellUnits / 2) / cellUnits, 0, cell));
    sized_ = true;
}

unsigned TextRasteriser::glyphIndex(unsigned char character) const {
    if (symbolMap_) {
        // Symbol faces keep their glyphs at 0xF000 + code; a few map the plain code.
        const unsigned index = FT_Get_Char_Index(face_, 0xF000u | character);
        return index != 0 ? index : FT_Get_Char_Index(face_, character);
    }
    return FT_Get_Char_Index(face_, westernCodePoint(character));
}

int TextRasteriser::loadGlyph(unsigned char character) {
    if (FT_Load_Glyph(face_, glyphIndex(character), FT_LOAD_NO_BITMAP) != 0) {
        return -1;
    }
    if (embolden_) {
        FT_GlyphSlot_Embolden(face_->glyph);
    }
    return static_cast<int>(std::max<FT_Pos>((face_->glyph->advance.x + 32) >> 6, 0));
}

Point TextRasteriser::measure(std::string_view text) {
    if (!sized_) {
        return Point{};
    }
    std::int64_t width = 0;
    for (const char c : text) {
        int& advance = advances_[static_cast<unsigned char>(c)];
        if (advance == unknownAdvance) {
            advance = loadGlyph(static_cast<unsigned char>(c));
        }
        width += std::max(advance, 0);
    }
    return Point{
        static_cast<std::int32_t>(std::min<std::int64_t>(width, std::numeric_limits<std::int32_t>::max())),
        cellHeight_};
}

void TextRasteriser::render(std::string_view text, const TextRegion& region, std::uint8_t* coverage) {
    if (!sized_) {
        return;
    }
    // Outlines stay in glyph-local coordinates (origin at the pen on the baseline, y up) so that span
    // positions stay small; the clip box is the region seen from the pen.
    constexpr std::int64_t clipLimit = std::int64_t{1} << 24;
    const std::int64_t top = std::int64_t{ascent_} - region.top;
    FT_Raster_Params params{};
    params.flags = FT_RASTER_FLAG_AA | FT_RASTER_FLAG_DIRECT | FT_RASTER_FLAG_CLIP;
    params.gray_spans = &blendSpans;
    params.clip_box.yMin = static_cast<FT_Pos>(top - region.height);
    params.clip_box.yMax = static_cast<FT_Pos>(top);

    SpanTarget target{coverage, region.width, region.height, 0, ascent_ - 1 - region.top};
    params.user = &target;

    std::int64_t pen = 0;
    const std::int64_t regionEnd = std::int64_t{region.left} + region.width;
    for (const char c : text) {
        const int advance = loadGlyph(static_cast<unsigned char>(c));
        if (advance < 0) {
            continue;
        }
        const FT_GlyphSlot slot = face_->glyph;
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
            const std::int64_t left = std::clamp<std::int64_t>(region.left - pen, -clipLimit, clipLimit);
            const std::int64_t right = std::clamp<std::int64_t>(regionEnd - pen, -clipLimit, clipLimit);
            params.clip_box.xMin = static_cast<FT_Pos>(left);
            params.clip_box.xMax = static_cast<FT_Pos>(right);
            target.columnOffset = static_cast<int>(pen - region.left);
            FT_Outline_Render(library_, &slot->outline, &params);
        }
        pen += advance;
    }
}

} // namespace Velvor
