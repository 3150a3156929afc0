#include "core/operators/Text.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using Velvor::greenOf;
using Velvor::Text;

namespace {

// Font files the cases below rely on, with the Debian packages that install them.
constexpr const char* symbolClone = "/usr/share/wine/fonts/wingding.ttf";     // fonts-wine
constexpr const char* tahomaBoldClone = "/usr/share/wine/fonts/tahomabd.ttf"; // fonts-wine
constexpr const char* symbolPictures =
    "/usr/share/fonts/truetype/ancient-scripts/Symbola_hint.ttf"; // fonts-symbola

bool installed(const char* path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

constexpr int imageWidth = 256;
constexpr int imageHeight = 64;

// White text from the top-left corner; coverage is read from the green channel, top row first.
struct Drawing {
    Point extent;
    std::vector<unsigned> coverage;

    unsigned at(int row, int column) const { return coverage[row * imageWidth + column]; }
    int inkedPixels() const {
        int count = 0;
        for (unsigned v : coverage) {
            count += v >= 128 ? 1 : 0;
        }
        return count;
    }
};

Drawing drawingOf(const Text& op) {
    Drawing drawing{op.getExtent(), {}};
    for (int r = 0; r < imageHeight; ++r) {
        for (int c = 0; c < imageWidth; ++c) {
            drawing.coverage.push_back(greenOf(op.getImage().row(imageHeight - 1 - r)[c]));
        }
    }
    return drawing;
}

void setUp(Text& op, const std::string& text, int font, int weight = 400) {
    op.x = 0;
    op.y = 0;
    op.fontsize = 2048; // a 32 px cell
    op.font = static_cast<std::int16_t>(font);
    op.weight = static_cast<std::int16_t>(weight);
    op.setText(text);
}

Drawing draw(const std::string& text, int font, int weight = 400) {
    Text op(imageWidth, imageHeight);
    setUp(op, text, font, weight);
    op.generate(nullptr);
    return drawingOf(op);
}

} // namespace

TEST(TextFallbackTest, SymbolFaceLettersDrawDistinctPicturesNotTheMissingGlyphBox) {
    if (!installed(symbolClone) || !installed(symbolPictures)) {
        GTEST_SKIP() << "needs " << symbolClone << " (fonts-wine) and " << symbolPictures
                     << " (fonts-symbola)";
    }
    // 0x7F has no picture anywhere: the clone's missing-glyph box.
    const Drawing box = draw("\x7F", 4);
    const Drawing a = draw("a", 4); // Cancer
    const Drawing b = draw("b", 4); // Leo
    EXPECT_GT(box.inkedPixels(), 0);
    EXPECT_GT(a.inkedPixels(), 30);
    EXPECT_GT(b.inkedPixels(), 30);
    EXPECT_NE(a.coverage, b.coverage);
    EXPECT_NE(a.coverage, box.coverage);
    EXPECT_NE(b.coverage, box.coverage);
}

TEST(TextFallbackTest, CharacterTheChosenFaceLacksIsDrawnFromAnotherFace) {
    if (!installed(tahomaBoldClone)) {
        GTEST_SKIP() << "needs " << tahomaBoldClone << " (fonts-wine), which has no macron";
    }
    const Drawing macron = draw("\xAF", 2, 700);
    const Drawing box = draw("\x81", 2, 700); // undefined in the code page: the missing-glyph box
    ASSERT_EQ(macron.extent.y, 32);
    // A macron is one bar above the letters; the box stands on the baseline.
    int macronRows = 0;
    for (int r = 0; r < macron.extent.y; ++r) {
        bool inked = false;
        for (int c = 0; c < macron.extent.x; ++c) {
            inked = inked || macron.at(r, c) >= 128;
        }
        ASSERT_TRUE(!inked || r < 16) << "ink in row " << r;
        macronRows += inked ? 1 : 0;
    }
    EXPECT_GE(macronRows, 1);
    EXPECT_LE(macronRows, 5);
    int boxLowerInk = 0;
    for (int r = 16; r < box.extent.y; ++r) {
        for (int c = 0; c < box.extent.x; ++c) {
            boxLowerInk += box.at(r, c) >= 128 ? 1 : 0;
        }
    }
    EXPECT_GT(boxLowerInk, 0);
}

// Characters no installed face has keep the chosen face's box, the same box for each of them.
class NoGlyphAnywhereTest : public testing::TestWithParam<int> {};

TEST_P(NoGlyphAnywhereTest, KeepsTheMissingGlyphBox) {
    const int font = GetParam();
    if (font == 4 && !installed(symbolClone)) {
        GTEST_SKIP() << "needs " << symbolClone << " (fonts-wine)";
    }
    // Bytes the code page leaves undefined; in the symbol face, the codes without a picture.
    const std::string first = font == 4 ? "\x7F" : "\x81";
    const std::string second = font == 4 ? "\xFF" : "\x9D";
    const Drawing one = draw(first, font);
    const Drawing other = draw(second, font);
    EXPECT_GT(one.inkedPixels(), 0);
    EXPECT_EQ(one.coverage, other.coverage);
    EXPECT_EQ(draw(first + second, font).extent.x, 2 * one.extent.x);
}

INSTANTIATE_TEST_SUITE_P(EveryFace, NoGlyphAnywhereTest, testing::Range(0, Text::faceCount));

TEST(TextFallbackTest, ExtentAndPlacementComeFromTheGlyphsDrawn) {
    if (!installed(symbolClone) || !installed(symbolPictures)) {
        GTEST_SKIP() << "needs " << symbolClone << " (fonts-wine) and " << symbolPictures
                     << " (fonts-symbola)";
    }
    // The clone draws the circle (l) itself; the pictures around it come from other faces.
    const Drawing a = draw("a", 4);
    const Drawing l = draw("l", 4);
    const Drawing both = draw("alJ", 4);
    const Drawing j = draw("J", 4); // smiling face
    ASSERT_EQ(both.extent.x, a.extent.x + l.extent.x + j.extent.x);
    EXPECT_GE(both.extent.y, 32);
    // Each glyph starts where the advances of those before it end, on the common baseline: the box
    // holds the cells of all faces drawn, so a glyph may stand a few rows lower than alone.
    const int offsets[] = {0, a.extent.x, a.extent.x + l.extent.x};
    const Drawing* parts[] = {&a, &l, &j};
    for (int part = 0; part < 3; ++part) {
        const Drawing& alone = *parts[part];
        bool found = false;
        for (int shift = 0; !found && shift <= both.extent.y - alone.extent.y; ++shift) {
            found = true;
            for (int r = 0; found && r < alone.extent.y; ++r) {
                for (int c = 0; found && c < alone.extent.x; ++c) {
                    found = both.at(r + shift, offsets[part] + c) == alone.at(r, c);
                }
            }
        }
        EXPECT_TRUE(found) << "part " << part << " is not where the advances before it end";
    }
}

TEST(TextFallbackTest, FallbackFacesFollowSizeWeightAndFaceChanges) {
    if (!installed(symbolClone) || !installed(symbolPictures)) {
        GTEST_SKIP() << "needs " << symbolClone << " (fonts-wine) and " << symbolPictures
                     << " (fonts-symbola)";
    }
    // Cancer, bomb, pencil: the last two only in the picture face, which has no bold style.
    const Drawing fresh = draw("aM!", 4);
    Text op(imageWidth, imageHeight);
    setUp(op, "aM!", 4);
    op.generate(nullptr);
    EXPECT_EQ(drawingOf(op).coverage, fresh.coverage);

    op.fontsize = 1024;
    op.generate(nullptr);
    EXPECT_LT(drawingOf(op).extent.x, fresh.extent.x * 6 / 10);
    EXPECT_LT(drawingOf(op).extent.y, fresh.extent.y * 6 / 10);

    op.fontsize = 2048;
    op.weight = 700;
    op.generate(nullptr);
    EXPECT_GT(drawingOf(op).inkedPixels(), fresh.inkedPixels() * 11 / 10);

    op.font = 0;
    op.generate(nullptr);
    op.font = 4;
    op.weight = 400;
    op.generate(nullptr);
    EXPECT_EQ(drawingOf(op).coverage, fresh.coverage);
}
