#include "core/operators/Checkboard.h"

#include <gtest/gtest.h>

using Velvor::Checkboard;
using Velvor::opaqueBlack;
using Velvor::opaqueWhite;
using Velvor::Pixel;

namespace {
constexpr Pixel W = opaqueWhite;
constexpr Pixel B = opaqueBlack;

std::vector<Pixel> render(int width, int height, std::int16_t blocks) {
    Checkboard op(width, height);
    op.blocks = blocks;
    op.generate(nullptr);
    const Pixel* p = op.getImage().getPixels();
    return std::vector<Pixel>(p, p + op.getImage().getPixelCount());
}
} // namespace

TEST(CheckboardTest, FourByFourWithTwoBlocksMatchesTheCountersRunningDownwards) {
    // s = 2; memory row 0 pairs with y = 3 (upper half), memory column 0 with x = 3 (upper half).
    const std::vector<Pixel> expected = {
        W, W, B, B, //
        W, W, B, B, //
        B, B, W, W, //
        B, B, W, W, //
    };
    EXPECT_EQ(render(4, 4, 2), expected);
}

TEST(CheckboardTest, DefaultOn256GivesSixtyFourPixelSquaresStartingWhite) {
    Checkboard op(256, 256);
    EXPECT_EQ(op.blocks, 4);
    op.generate(nullptr);
    const Velvor::Image& image = op.getImage();
    EXPECT_EQ(image.row(0)[0], W);
    EXPECT_EQ(image.row(0)[63], W);
    EXPECT_EQ(image.row(0)[64], B);
    EXPECT_EQ(image.row(63)[0], W);
    EXPECT_EQ(image.row(64)[0], B);
    EXPECT_EQ(image.row(64)[64], W);
    EXPECT_EQ(image.row(255)[255], W); // counters 0, 0: both in the lower half
    EXPECT_EQ(image.row(255)[191], B);
}

TEST(CheckboardTest, UnusableBlockCountsStillGiveAWholeBoard) {
    // More blocks than pixels per row: one-pixel squares.
    const std::vector<Pixel> tiny = {W, B, W, B, W, B, W, B, W};
    EXPECT_EQ(render(3, 3, 64), tiny);
    // Zero and negative blocks count as one block: one square as wide as the row.
    EXPECT_EQ(render(2, 2, 0), (std::vector<Pixel>{W, W, W, W}));
    EXPECT_EQ(render(2, 2, -32768), (std::vector<Pixel>{W, W, W, W}));
    EXPECT_TRUE(render(0, 0, 4).empty());
    EXPECT_EQ(render(5, 0, 4).size(), 0u);
}

TEST(CheckboardTest, ParameterBlockIsTwoLittleEndianBytes) {
    Checkboard op(1, 1);
    const std::uint8_t block[] = {0x40, 0x01, 0xAA};
    const std::uint8_t* cursor = block;
    op.readParameters(cursor);
    EXPECT_EQ(cursor, block + 2);
    EXPECT_EQ(op.blocks, 0x140);
    std::vector<std::uint8_t> out;
    op.writeParameters(out);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0x40, 0x01}));
}

// A side of 0 leaves the image without a buffer: there is nothing to draw and nothing to copy.
TEST(CheckboardTest, ImagesWithoutPixelsDrawNothing) {
    for (const auto& [width, height] : {std::pair{0, 5}, {5, 0}, {0, 0}}) {
        EXPECT_TRUE(render(width, height, 2).empty()) << width << " x " << height;
    }
}
