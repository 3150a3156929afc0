#include "core/operators/Text.h"

#include "core/parallel/ImageBands.h"
#include "core/parallel/Parallel.h"
#include "core/text/TextRasteriser.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace Velvor {

struct Text::Rasteriser {
    TextRasteriser font;
    // Coverage of the visible part of the text box; kept so re-rendering does not allocate.
    std::vector<std::uint8_t> coverage;
};

namespace {

constexpr const char* faceTable[Text::faceCount] = {"Arial", "Courier New", "Tahoma", "Verdana", "Wingdings"};
constexpr int symbolFace = 4;

// Output pixel for each coverage value: the colour scaled by coverage on black, opaque. A value that
// comes out exactly pure green is the colour key: it stays transparent (0).
void buildPalette(Pixel colour, Pixel (&palette)[256]) {
    for (unsigned v = 0; v < 256; ++v) {
        const unsigned red = redOf(colour) * v / 255;
        const unsigned green = greenOf(colour) * v / 255;
        const unsigned blue = blueOf(colour) * v / 255;
        const bool pureGreen = red == 0 && green == 255 && blue == 0;
        palette[v] = pureGreen ? 0 : makePixel(255, red, green, blue);
    }
}

} // namespace

Text::Text(int width, int height)
    : Operator(OperatorType::Text, 0, width, height, textFields),
      rasteriser_(std::make_unique<Rasteriser>()) {
    setText("Pwnage!");
}

Text::~Text() = default;

const char* Text::faceName(int font) {
    return faceTable[(font >= 0 && font < faceCount) ? font : 0];
}

std::string_view Text::getText() const {
    // Bounded, so a field filled to the last byte without a terminator still reads as 1023 characters.
    const void* end = std::memchr(text.data(), 0, textCapacity - 1);
    const std::size_t length = end == nullptr
                                   ? textCapacity - 1
                                   : static_cast<std::size_t>(static_cast<const char*>(end) - text.data());
    return std::string_view(text.data(), length);
}

void Text::setText(std::string_view value) {
    const std::size_t length = std::min(value.size(), textCapacity - 1);
    std::memcpy(text.data(), value.data(), length);
    std::fill(text.begin() + static_cast<std::ptrdiff_t>(length), text.end(), '\0');
}

void Text::generate(const Image* const* /*inputs*/) {
    fillInBands(image_, 0);
    extent_ = Point{};
    const int width = image_.getWidth();
    const int height = image_.getHeight();

    const std::int64_t requestedHeight = std::int64_t{height} * fontsize / 4096;
    TextRasteriser& rasteriser = rasteriser_->font;
    const CharacterSet characters = font == symbolFace ? CharacterSet::symbol : CharacterSet::western;
    if (!rasteriser.select(faceName(font), weight, requestedHeight, characters)) {
        return;
    }
    const std::string_view line = getText();
    extent_ = rasteriser.measure(line);

    // Box row i lands on memory row height - 1 - oy - i (row 0 is the bottom of the picture), box
    // column j on column ox + j. Only the part of the box inside the image is rendered.
    const std::int64_t ox = std::int64_t{x} * width / 4096;
    const std::int64_t oy = std::int64_t{y} * height / 4096;
    const std::int64_t firstColumn = std::max<std::int64_t>(0, -ox);
    const std::int64_t endColumn = std::min<std::int64_t>(extent_.x, width - ox);
    const std::int64_t firstRow = std::max<std::int64_t>(0, -oy);
    const std::int64_t endRow = std::min<std::int64_t>(extent_.y, height - oy);
    if (firstColumn >= endColumn || firstRow >= endRow) {
        return;
    }
    const TextRegion region{static_cast<int>(firstColumn), static_cast<int>(firstRow),
                            static_cast<int>(endColumn - firstColumn), static_cast<int>(endRow - firstRow)};
    Pixel palette[256];
    buildPalette(colour, palette);
    std::vector<std::uint8_t>& coverage = rasteriser_->coverage;
    // One rasteriser, so one thread; in bands only so that a render being cancelled stops soon. The
    // rasteriser clips exactly, so a band's coverage is the same as the whole region's. Each band
    // walks the whole line's outlines again, so bands are at least 64 rows: thinner ones made a
    // large text several times slower for a cancel that is fast enough at this height.
    constexpr int minimumTextBand = 64;
    forEachBandInTurn(region.height, std::max(minimumTextBand, rowsPerBand(width)), [&](int begin, int end) {
        const TextRegion band{region.left, region.top + begin, region.width, end - begin};
        coverage.assign(static_cast<std::size_t>(band.width) * static_cast<std::size_t>(band.height), 0);
        rasteriser.render(line, band, coverage.data());
        for (int i = begin; i < end; ++i) {
            const std::uint8_t* source = coverage.data() + static_cast<std::size_t>(i - begin) * band.width;
            const auto targetRow = static_cast<int>(height - 1 - oy - (firstRow + i));
            Pixel* out = image_.row(targetRow) + (ox + firstColumn);
            for (int j = 0; j < band.width; ++j) {
                out[j] = palette[source[j]];
            }
        }
    });
}

} // namespace Velvor
