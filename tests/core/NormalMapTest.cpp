#include "core/operators/NormalMap.h"

#include "TestImages.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <vector>

using Velvor::Image;
using Velvor::NormalMap;
using Velvor::Pixel;

namespace {

Image normalsOf(const Image& source, std::int16_t amount = 256) {
    NormalMap op(source.getWidth(), source.getHeight());
    op.getImage().fill(0xFFFFFFFFu); // the previous contents must not show through
    op.amount = amount;
    const Image* inputs[] = {&source};
    op.generate(inputs);
    return op.getImage();
}

using Vector = std::array<double, 3>;

Vector normalised(const Vector& v) {
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return {v[0] / length, v[1] / length, v[2] / length};
}

// The tangents, their cross product and the output mapping written out literally, in double.
Pixel referenceNormal(const Image& s, int r, int c, double k) {
    const int w = s.getWidth();
    const int h = s.getHeight();
    auto brightness = [&](int row, int column) {
        const Pixel p = s.row((row + h) % h)[(column + w) % w];
        return (Velvor::redOf(p) + Velvor::greenOf(p) + Velvor::blueOf(p)) / 3.0;
    };
    const Vector tv = normalised({0, 1, (brightness(r + 1, c) - brightness(r - 1, c)) / 255 * k});
    const Vector th = normalised({1, 0, (brightness(r, c + 1) - brightness(r, c - 1)) / 255 * k});
    const Vector n = normalised(
        {th[1] * tv[2] - th[2] * tv[1], th[2] * tv[0] - th[0] * tv[2], th[0] * tv[1] - th[1] * tv[0]});
    auto component = [](double x) { return static_cast<Pixel>(x * 127.5 + 127.5); };
    return (component(n[0]) << 16) | (component(n[1]) << 8) | component(n[2]);
}

} // namespace

TEST(NormalMapTest, FlatImagesPointStraightOut) {
    for (Pixel flat : {0x00000000u, 0xFF808080u, 0x12345678u}) {
        const Image out = normalsOf(imageOf(3, 2, std::vector<Pixel>(6, flat)), 8192);
        for (int p = 0; p < out.getPixelCount(); ++p) {
            ASSERT_EQ(out.getPixels()[p], 0x007F7FFFu) << std::hex << flat;
        }
    }
    // A single pixel is its own neighbour on every side.
    EXPECT_EQ(normalsOf(imageOf(1, 1, {0xFFFF0000u})).getPixels()[0], 0x007F7FFFu);
    EXPECT_EQ(normalsOf(Image(0, 0)).getPixelCount(), 0);
    // An input of another size is not read: the image keeps what it held.
    NormalMap op(3, 3);
    const Image small(2, 2);
    const Image* inputs[] = {&small};
    op.generate(inputs);
    EXPECT_EQ(op.getImage().getPixels()[8], 0u);
}

TEST(NormalMapTest, SlopesComeFromWrappedNeighboursInMemoryOrder) {
    // Row 0: black, red (brightness 85), black. Row 1: blue 51 (brightness 17), black, black. Row 2: black.
    const Image source = imageOf(3, 3,
                                 {0x00000000u, 0x00FF0000u, 0x00000000u, //
                                  0x00000033u, 0x00000000u, 0x00000000u, //
                                  0x00000000u, 0x00000000u, 0x00000000u});
    // amount 768 (k = 3). At (0,0) the left neighbour wraps to column 2 and the previous row to row 2:
    // slopes (85 - 0) / 255 * 3 = 1 along the row and (17 - 0) / 255 * 3 = 0.2 down the column.
    // N = (-1, -0.2, 1) / sqrt(2.04) = (-0.70014, -0.14003, 0.70014) -> (38.23, 109.65, 216.77).
    const Image out = normalsOf(source, 768);
    EXPECT_EQ(out.row(0)[0], 0x00266DD8u);
    // At (1,1): slopes (0 - 17) / 255 * 3 = -0.2 and (0 - 85) / 255 * 3 = -1 -> (145.35, 216.77, 216.77).
    EXPECT_EQ(out.row(1)[1], 0x0091D8D8u);
    // At (2,2) the right neighbour wraps to column 0 and the next row to row 0: slopes 0 and 0.
    EXPECT_EQ(out.row(2)[2], 0x007F7FFFu);
}

TEST(NormalMapTest, MatchesTheTangentCrossProductOnRandomImages) {
    std::mt19937 random(5);
    Image source(6, 4);
    for (int p = 0; p < source.getPixelCount(); ++p) {
        source.getPixels()[p] = static_cast<Pixel>(random());
    }
    for (std::int16_t amount : {std::int16_t{1}, std::int16_t{256}, std::int16_t{1000}, std::int16_t{-300}}) {
        const Image out = normalsOf(source, amount);
        for (int r = 0; r < source.getHeight(); ++r) {
            for (int c = 0; c < source.getWidth(); ++c) {
                const Pixel expected = referenceNormal(source, r, c, amount / 256.0);
                const Pixel actual = out.row(r)[c];
                ASSERT_EQ(actual >> 24, 0u);
                for (unsigned shift : {0u, 8u, 16u}) {
                    const int difference = static_cast<int>((actual >> shift) & 0xFF) -
                                           static_cast<int>((expected >> shift) & 0xFF);
                    ASSERT_LE(std::abs(difference), 1) << "amount " << amount << " at " << r << "," << c;
                }
            }
        }
    }
}

TEST(NormalMapTest, ExtremeAmountsStayInRangeAndParameterBlock) {
    const Image source = imageOf(3, 3,
                                 {0xFFFFFFFFu, 0x00000000u, 0x00FF0000u, //
                                  0x00000000u, 0xFFFFFFFFu, 0x0000FF00u, //
                                  0x000000FFu, 0x00808080u, 0xFFFFFFFFu});
    for (std::int16_t amount : {std::int16_t{-32768}, std::int16_t{0}, std::int16_t{32767}}) {
        const Image out = normalsOf(source, amount);
        for (int p = 0; p < out.getPixelCount(); ++p) {
            // z is always positive, so blue stays in the upper half; alpha is always 0.
            EXPECT_GE(Velvor::blueOf(out.getPixels()[p]), 127u);
            EXPECT_EQ(Velvor::alphaOf(out.getPixels()[p]), 0u);
        }
    }

    NormalMap op(1, 1);
    EXPECT_EQ(op.getTypeId(), 6);
    EXPECT_EQ(op.getNumInputs(), 1);
    const std::uint8_t block[] = {0x00, 0x20, 0xEE};
    const std::uint8_t* cursor = block;
    op.readParameters(cursor);
    EXPECT_EQ(cursor, block + 2);
    EXPECT_EQ(op.amount, 8192);
    std::vector<std::uint8_t> out;
    op.writeParameters(out);
    EXPECT_EQ(out, std::vector<std::uint8_t>(block, block + 2));
}
