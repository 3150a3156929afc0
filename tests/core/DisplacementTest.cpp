#include "core/operators/Displacement.h"

#include "TestImages.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <vector>

using Velvor::Displacement;
using Velvor::Image;
using Velvor::Pixel;

namespace {

Image uniformImage(int width, int height, Pixel value) {
    Image image(width, height);
    image.fill(value);
    return image;
}

struct Shift {
    std::int16_t amountX = 0;
    std::int16_t amountY = 0;
    std::int16_t sourceX = Displacement::Red;
    std::int16_t sourceY = Displacement::Green;
};

Image displace(const Image& source, const Image& modulator, const Shift& shift) {
    Displacement op(source.getWidth(), source.getHeight());
    op.amountX = shift.amountX;
    op.amountY = shift.amountY;
    op.amountXSource = shift.sourceX;
    op.amountYSource = shift.sourceY;
    const Image* inputs[] = {&source, &modulator};
    op.generate(inputs);
    return op.getImage();
}

// Checks out(i, j) == source((i + dy) mod H, (j + dx) mod W) for whole-pixel shifts.
void expectShiftedBy(const Image& out, const Image& source, int dx, int dy) {
    const int w = source.getWidth();
    const int h = source.getHeight();
    for (int i = 0; i < h; ++i) {
        for (int j = 0; j < w; ++j) {
            const int si = ((i + dy) % h + h) % h;
            const int sj = ((j + dx) % w + w) % w;
            ASSERT_EQ(out.row(i)[j], source.row(si)[sj]) << "row " << i << " column " << j;
        }
    }
}

} // namespace

TEST(DisplacementTest, ZeroAmountsCopyTheSourceForEveryChannelChoice) {
    const Image source = randomImage(7, 5, 1);
    const Image modulator = randomImage(7, 5, 2);
    for (std::int16_t channel = -1; channel <= 6; ++channel) {
        expectShiftedBy(displace(source, modulator, {0, 0, channel, channel}), source, 0, 0);
    }
}

TEST(DisplacementTest, AFullChannelShiftsByTheWholeAmountAndWraps) {
    const Image source = randomImage(20, 6, 3);
    // Red 255, green 0: sixteen columns to the right, wrapping past the right edge; no vertical shift.
    const Image redOnly = uniformImage(20, 6, 0x00FF0000u);
    expectShiftedBy(displace(source, redOnly, {16, 16}), source, 16, 0);
    // Green 255 drives y: five rows further in memory, wrapping past the last row.
    const Image greenOnly = uniformImage(20, 6, 0x0000FF00u);
    expectShiftedBy(displace(source, greenOnly, {16, 5, Displacement::Red, Displacement::Green}), source, 0,
                    5);
    // Brightness of pure blue is 255; its hue 170 gives 2/3 of 30 = 20 columns, a whole turn.
    const Image blue = uniformImage(20, 6, 0x000000FFu);
    expectShiftedBy(displace(source, blue, {3, 2, Displacement::Brightness, Displacement::Blue}), source, 3,
                    2);
    expectShiftedBy(displace(source, blue, {30, 0, Displacement::Hue, Displacement::Saturation}), source, 0,
                    0);
    // Unknown channels shift by nothing.
    expectShiftedBy(displace(source, blue, {7, 7, 6, -3}), source, 0, 0);
}

TEST(DisplacementTest, NegativeAmountsWrapIntoTheImage) {
    const Image source = randomImage(5, 3, 4);
    const Image full = uniformImage(5, 3, 0x00FFFFFFu);
    expectShiftedBy(displace(source, full, {-1, -1}), source, -1, -1);
    // -32768 = 2 (mod 5) = 1 (mod 3); 32767 = 2 (mod 5) = 1 (mod 3).
    expectShiftedBy(displace(source, full, {-32768, -32768}), source, 2, 1);
    expectShiftedBy(displace(source, full, {32767, 32767}), source, 2, 1);
    // Every extreme with partial channels stays inside the inputs (checked under ASan/UBSan).
    const Image modulator = randomImage(5, 3, 5);
    for (std::int16_t amount : {std::int16_t{-32768}, std::int16_t{-1}, std::int16_t{32767}}) {
        for (std::int16_t channel = 0; channel <= 5; ++channel) {
            displace(source, modulator, {amount, amount, channel, static_cast<std::int16_t>(5 - channel)});
        }
    }
}

TEST(DisplacementTest, APositionJustBelowTheRightEdgeSamplesTheFirstColumn) {
    // On a row this wide, -1/255 + width rounds to the width itself in single precision; the
    // sample must wrap to column 0 instead of reading past the row.
    const int width = 1 << 20;
    const Image source = randomImage(width, 1, 6);
    Image modulator(width, 1);
    modulator.getPixels()[0] = 0x00010000u; // red 1
    const Image out = displace(source, modulator, {-1, 0});
    EXPECT_EQ(out.getPixels()[0], source.getPixels()[0]);
    EXPECT_EQ(out.getPixels()[width - 1], source.getPixels()[width - 1]);
}

TEST(DisplacementTest, FractionalPositionsBlendFourNeighboursIncludingAlpha) {
    // Red 51 gives x + 0.2, green 204 gives y + 0.8: weights 0.16 (P00), 0.04 (P10), 0.64 (P01),
    // 0.16 (P11). Every channel holds the same value so alpha is checked alongside the colours.
    const Image source = imageOf(2, 2,
                                 {0x64646464u, 0xC9C9C9C9u,   // row 0: 100, 201
                                  0x00000000u, 0x32323232u}); // row 1: 0, 50
    const Image modulator = uniformImage(2, 2, 0x0033CC00u);
    const Image out = displace(source, modulator, {1, 1});
    // (0,0): 0.16*100 + 0.04*201 + 0.64*0 + 0.16*50 = 32.04
    EXPECT_EQ(out.row(0)[0], 0x20202020u);
    // (0,1): right neighbour wraps: 0.16*201 + 0.04*100 + 0.64*50 + 0.16*0 = 68.16
    EXPECT_EQ(out.row(0)[1], 0x44444444u);
    // (1,0): next row wraps to row 0: 0.16*0 + 0.04*50 + 0.64*100 + 0.16*201 = 98.16
    EXPECT_EQ(out.row(1)[0], 0x62626262u);
    // (1,1): both wrap: 0.16*50 + 0.04*0 + 0.64*201 + 0.16*100 = 152.64
    EXPECT_EQ(out.row(1)[1], 0x98989898u);
}

TEST(DisplacementTest, TinyImagesAndParameterBlock) {
    const Image one = imageOf(1, 1, {0x12345678u});
    EXPECT_EQ(displace(one, uniformImage(1, 1, 0xFFFFFFFFu), {255, 255}).getPixels()[0], 0x12345678u);
    EXPECT_EQ(displace(Image(0, 0), Image(0, 0), {16, 16}).getPixelCount(), 0);
    // A modulator of another size is not read: the image keeps its zeros.
    EXPECT_EQ(displace(uniformImage(3, 3, 0xFFFFFFFFu), Image(2, 2), {0, 0}).getPixels()[8], 0u);

    Displacement op(1, 1);
    EXPECT_EQ(op.getTypeId(), 4);
    EXPECT_EQ(op.getNumInputs(), 2);
    const std::uint8_t block[] = {0x10, 0x00, 0x00, 0x80, 0x05, 0x00, 0xFF, 0x7F, 0xEE};
    const std::uint8_t* cursor = block;
    op.readParameters(cursor);
    EXPECT_EQ(cursor, block + 8);
    EXPECT_EQ(op.amountX, 16);
    EXPECT_EQ(op.amountY, -32768);
    EXPECT_EQ(op.amountXSource, Displacement::Brightness);
    EXPECT_EQ(op.amountYSource, 32767);
    std::vector<std::uint8_t> out;
    op.writeParameters(out);
    EXPECT_EQ(out, std::vector<std::uint8_t>(block, block + 8));
}

namespace {

struct Neighbours {
    Pixel p00, p10, p01, p11;
    float fx, fy;
};

// The sampling position written out literally for a colour channel source (0 red, 1 green, 2 blue)
// and amounts that are not negative.
Neighbours literalNeighbours(const Image& source, const Image& modulator, int i, int j, int channelX,
                             int channelY, int amountX, int amountY) {
    const int w = source.getWidth();
    const int h = source.getHeight();
    const Pixel m = modulator.row(i)[j];
    const unsigned shifts[] = {16, 8, 0};
    const float cx = static_cast<float>((m >> shifts[channelX]) & 0xFF) / 255.0f;
    const float cy = static_cast<float>((m >> shifts[channelY]) & 0xFF) / 255.0f;
    auto x = static_cast<float>(static_cast<double>(cx) * amountX + j);
    auto y = static_cast<float>(static_cast<double>(cy) * amountY + i);
    if (x >= static_cast<float>(w)) {
        x = std::fmod(x, static_cast<float>(w));
    }
    if (y >= static_cast<float>(h)) {
        y = std::fmod(y, static_cast<float>(h));
    }
    const int xi = static_cast<int>(x);
    const int yi = static_cast<int>(y);
    return {source.row(yi)[xi],           source.row(yi)[(xi + 1) % w],
            source.row((yi + 1) % h)[xi], source.row((yi + 1) % h)[(xi + 1) % w],
            x - static_cast<float>(xi),   y - static_cast<float>(yi)};
}

// The literal blend of the four neighbours.
Pixel literalSample(const Neighbours& n) {
    Pixel out = 0;
    for (unsigned s = 0; s < 32; s += 8) {
        const float v = (1 - n.fx) * (1 - n.fy) * static_cast<float>((n.p00 >> s) & 0xFF) +
                        n.fx * (1 - n.fy) * static_cast<float>((n.p10 >> s) & 0xFF) +
                        (1 - n.fx) * n.fy * static_cast<float>((n.p01 >> s) & 0xFF) +
                        n.fx * n.fy * static_cast<float>((n.p11 >> s) & 0xFF);
        out |= static_cast<Pixel>(v) << s;
    }
    return out;
}

} // namespace

TEST(DisplacementTest, ColourChannelSourcesMatchTheLiteralRuleOnRandomImages) {
    const Image source = randomImage(12, 9, 5);
    const Image modulator = randomImage(12, 9, 6);
    for (const auto& [channelX, channelY, amountX, amountY] :
         {std::array{0, 1, 16, 16}, std::array{2, 0, 7, 30}, std::array{1, 2, 255, 3}}) {
        Displacement op(12, 9);
        op.amountXSource = static_cast<std::int16_t>(channelX);
        op.amountYSource = static_cast<std::int16_t>(channelY);
        op.amountX = static_cast<std::int16_t>(amountX);
        op.amountY = static_cast<std::int16_t>(amountY);
        const Image* inputs[] = {&source, &modulator};
        op.generate(inputs);
        for (int i = 0; i < 9; ++i) {
            for (int j = 0; j < 12; ++j) {
                // The order of the float operations may move a channel by one unit.
                const Pixel expected = literalSample(
                    literalNeighbours(source, modulator, i, j, channelX, channelY, amountX, amountY));
                for (unsigned s = 0; s < 32; s += 8) {
                    ASSERT_LE(std::abs(static_cast<int>((op.getImage().row(i)[j] >> s) & 0xFF) -
                                       static_cast<int>((expected >> s) & 0xFF)),
                              1)
                        << i << "," << j << " channels " << channelX << "," << channelY;
                }
            }
        }
    }
}

TEST(DisplacementTest, EveryChannelStaysWithinItsFourSamples) {
    // Few levels, so that equal and neighbouring samples are common.
    std::mt19937 random(7);
    const unsigned levels[] = {0, 1, 127, 254, 255};
    Image source(16, 11);
    for (int p = 0; p < source.getPixelCount(); ++p) {
        for (unsigned s = 0; s < 32; s += 8) {
            source.getPixels()[p] |= static_cast<Pixel>(levels[random() % 5]) << s;
        }
    }
    const Image modulator = randomImage(16, 11, 8);
    for (const auto& [channelX, channelY, amountX, amountY] :
         {std::array{0, 1, 16, 16}, std::array{2, 0, 7, 30}, std::array{1, 2, 255, 3}}) {
        const Image out =
            displace(source, modulator,
                     {static_cast<std::int16_t>(amountX), static_cast<std::int16_t>(amountY),
                      static_cast<std::int16_t>(channelX), static_cast<std::int16_t>(channelY)});
        for (int i = 0; i < 11; ++i) {
            for (int j = 0; j < 16; ++j) {
                const Neighbours n =
                    literalNeighbours(source, modulator, i, j, channelX, channelY, amountX, amountY);
                for (unsigned s = 0; s < 32; s += 8) {
                    const unsigned samples[] = {(n.p00 >> s) & 0xFF, (n.p10 >> s) & 0xFF, (n.p01 >> s) & 0xFF,
                                                (n.p11 >> s) & 0xFF};
                    const unsigned value = (out.row(i)[j] >> s) & 0xFF;
                    ASSERT_GE(value, *std::min_element(samples, samples + 4))
                        << i << "," << j << " bit " << s;
                    ASSERT_LE(value, *std::max_element(samples, samples + 4))
                        << i << "," << j << " bit " << s;
                }
            }
        }
    }
}

TEST(DisplacementTest, AFlatSourceStaysExactlyFlat) {
    // Every red, green and blue level appears in the modulator, so with an amount of 1 every
    // fraction k / 255 is tried.
    Image modulator(16, 16);
    for (int p = 0; p < 256; ++p) {
        const auto v = static_cast<Pixel>(p);
        modulator.getPixels()[p] = v << 16 | ((v * 37) & 0xFF) << 8 | (255 - v);
    }
    const Shift shifts[] = {{1, 1, Displacement::Red, Displacement::Green},
                            {3, 200, Displacement::Green, Displacement::Blue},
                            {255, 3, Displacement::Hue, Displacement::Saturation},
                            {-7, 32767, Displacement::Brightness, Displacement::Red}};
    for (unsigned v = 0; v < 256; ++v) {
        // Each channel holds another level, so all 256 are seen in each.
        const Pixel flat = v << 24 | (255 - v) << 16 | ((v * 7) & 0xFF) << 8 | ((v + 128) & 0xFF);
        const Image source = uniformImage(16, 16, flat);
        for (const Shift& shift : shifts) {
            const Image out = displace(source, modulator, shift);
            for (int p = 0; p < out.getPixelCount(); ++p) {
                ASSERT_EQ(out.getPixels()[p], flat) << "level " << v << " pixel " << p;
            }
        }
    }
}
