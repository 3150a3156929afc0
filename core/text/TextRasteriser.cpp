#include "core/text/TextRasteriser.h"

#include "core/text/FontFace.h"
#include "core/text/FontMatch.h"
#include "core/text/TextCharacters.h"

#include <algorithm>
#include <ft2build.h>
#include <limits>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

namespace Velvor {

namespace {

// Weights 0 and below mean "don't care", which is normal; above 1000 there is nothing heavier.
int normaliseWeight(int weight) {
    return weight <= 0 ? 400 : std::min(weight, 1000);
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

TextRasteriser::TextRasteriser() : fallbacks_(std::make_unique<FallbackFonts>()) {}

TextRasteriser::~TextRasteriser() = default;

void TextRasteriser::closeFaces() {
    faces_.clear();
    refused_.clear();
    glyphs_.fill(Glyph{});
    sized_ = false;
}

bool TextRasteriser::select(const std::string& family, int weight, std::int64_t height,
                            CharacterSet characters) {
    weight = normaliseWeight(weight);
    if (faces_.empty() || family != family_ || weight != weight_ || characters != characters_) {
        closeFaces();
        family_ = family;
        weight_ = weight;
        characters_ = characters;
        fallbacks_->reset(family, weight);
        if (!openChosenFace(family, weight) && !openChosenFace("sans-serif", weight)) {
            return false;
        }
    } else if (sized_ && height == height_) {
        return true;
    }
    height_ = height;
    glyphs_.fill(Glyph{});
    for (const auto& face : faces_) {
        face->setHeight(height);
    }
    sized_ = faces_.front()->isSized();
    return sized_;
}

bool TextRasteriser::openChosenFace(const std::string& family, int weight) {
    FontFile file;
    if (!findFont(family, weight, file)) {
        return false;
    }
    LentFace face = FontFace::borrow(file);
    if (!face->isOpen()) {
        return false;
    }
    faces_.push_back(std::move(face));
    return true;
}

const TextRasteriser::Glyph& TextRasteriser::glyphOf(unsigned char character) {
    Glyph& glyph = glyphs_[character];
    if (glyph.face == unresolved) {
        resolve(character, glyph);
        glyph.advance = faces_[static_cast<std::size_t>(glyph.face)]->loadGlyph(glyph.index);
    }
    return glyph;
}

void TextRasteriser::resolve(unsigned char character, Glyph& glyph) {
    const FontFace& chosen = *faces_.front();
    // The symbol face's pictures are still pictures where only a Unicode face stands in for it.
    const char32_t unicode =
        characters_ == CharacterSet::symbol ? symbolCharacter(character) : westernCharacter(character);
    glyph.index = chosen.usesSymbolCodes() ? chosen.symbolGlyph(character) : chosen.unicodeGlyph(unicode);
    glyph.face = 0;
    if (glyph.index != 0 || !isPrintable(unicode)) {
        return;
    }
    unsigned index = 0;
    if (const int face = fallbackFor(unicode, index); face > 0) {
        glyph.face = face;
        glyph.index = index;
    }
}

int TextRasteriser::fallbackFor(char32_t character, unsigned& index) {
    std::size_t position = 0;
    FontFile file;
    while (fallbacks_->next(character, position, file)) {
        const int face = faceFor(file);
        if (face <= 0) { // unusable, or the chosen face itself, which lacks the glyph
            continue;
        }
        index = faces_[static_cast<std::size_t>(face)]->unicodeGlyph(character);
        if (index != 0) {
            return face;
        }
    }
    return -1;
}

int TextRasteriser::faceFor(const FontFile& file) {
    for (std::size_t i = 0; i < faces_.size(); ++i) {
        if (faces_[i]->file().sameFace(file)) {
            return faces_[i]->isSized() ? static_cast<int>(i) : -1;
        }
    }
    const auto refused = [&file](const FontFile& other) { return other.sameFace(file); };
    if (std::any_of(refused_.begin(), refused_.end(), refused)) {
        return -1;
    }
    LentFace face = FontFace::borrow(file);
    // Symbol faces claim Latin letters for their pictures; only Unicode faces can stand in.
    if (!face->isOpen() || face->usesSymbolCodes() || !face->setHeight(height_)) {
        refused_.push_back(file);
        return -1;
    }
    faces_.push_back(std::move(face));
    return static_cast<int>(faces_.size() - 1);
}

TextRasteriser::Line TextRasteriser::lineOf(std::string_view text) {
    const FontFace& chosen = *faces_.front();
    Line line{0, chosen.ascent(), chosen.cellHeight() - chosen.ascent()};
    for (const char c : text) {
        const Glyph& glyph = glyphOf(static_cast<unsigned char>(c));
        line.width += std::max(glyph.advance, 0);
        if (glyph.face > 0) {
            const FontFace& face = *faces_[static_cast<std::size_t>(glyph.face)];
            line.ascent = std::max(line.ascent, face.ascent());
            line.descent = std::max(line.descent, face.cellHeight() - face.ascent());
        }
    }
    return line;
}

Point TextRasteriser::measure(std::string_view text) {
    if (!sized_) {
        return Point{};
    }
    const Line line = lineOf(text);
    return Point{static_cast<std::int32_t>(
                     std::min<std::int64_t>(line.width, std::numeric_limits<std::int32_t>::max())),
                 line.ascent + line.descent};
}

void TextRasteriser::render(std::string_view text, const TextRegion& region, std::uint8_t* coverage) {
    if (!sized_) {
        return;
    }
    const int ascent = lineOf(text).ascent;
    // Outlines stay in glyph-local coordinates (origin at the pen on the baseline, y up) so that span
    // positions stay small; the clip box is the region seen from the pen.
    constexpr std::int64_t clipLimit = std::int64_t{1} << 24;
    const std::int64_t top = std::int64_t{ascent} - region.top;
    FT_Raster_Params params{};
    params.flags = FT_RASTER_FLAG_AA | FT_RASTER_FLAG_DIRECT | FT_RASTER_FLAG_CLIP;
    params.gray_spans = &blendSpans;
    params.clip_box.yMin = static_cast<FT_Pos>(top - region.height);
    params.clip_box.yMax = static_cast<FT_Pos>(top);

    SpanTarget target{coverage, region.width, region.height, 0, ascent - 1 - region.top};
    params.user = &target;

    std::int64_t pen = 0;
    const std::int64_t regionEnd = std::int64_t{region.left} + region.width;
    for (const char c : text) {
        const Glyph& glyph = glyphOf(static_cast<unsigned char>(c));
        FontFace& face = *faces_[static_cast<std::size_t>(glyph.face)];
        if (glyph.advance < 0) {
            continue;
        }
        const std::int64_t left = std::clamp<std::int64_t>(region.left - pen, -clipLimit, clipLimit);
        const std::int64_t right = std::clamp<std::int64_t>(regionEnd - pen, -clipLimit, clipLimit);
        params.clip_box.xMin = static_cast<FT_Pos>(left);
        params.clip_box.xMax = static_cast<FT_Pos>(right);
        target.columnOffset = static_cast<int>(pen - region.left);
        face.renderGlyph(glyph.index, params);
        pen += glyph.advance;
    }
}

} // namespace Velvor
