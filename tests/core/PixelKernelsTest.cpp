#include "EveryTarget.h"
#include "core/kernels/DisplacementKernels.h"
#include "core/kernels/MixerKernels.h"
#include "core/kernels/NormalKernels.h"
#include "core/kernels/PlasmaKernels.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

using Pixels = std::vector<Velvor::Pixel>;

// Random words with the extremes of each channel mixed in: black, white, pure primaries, greys.
Pixels randomPixels(std::mt19937& random, int count) {
    const Velvor::Pixel extremes[] = {0x00000000u, 0xFFFFFFFFu, 0xFFFF0000u, 0xFF00FF00u,
                                      0xFF0000FFu, 0x80808080u, 0x00FFFF00u, 0x01010101u};
    Pixels pixels(static_cast<std::size_t>(count));
    for (Velvor::Pixel& p : pixels) {
        p = random() % 4 == 0 ? extremes[random() % 8] : static_cast<Velvor::Pixel>(random());
    }
    return pixels;
}

// Spans below, at and above the widest vector (16 floats), and a long one.
const int spanSizes[] = {0, 1, 3, 4, 7, 8, 15, 16, 17, 33, 1001};

} // namespace

TEST(PixelKernelsTest, HueAndSaturationMatchThePlainLoops) {
    std::mt19937 random(11);
    // Weights as the mixer makes them from 16-bit amounts, wrapped negatives included.
    const std::uint32_t weights[] = {0, 1, 255, 256, 300, 512, 32767, 0xFFFFFFFFu, 0xFFFF8000u};
    const float factors[] = {0.0f, 1.0f / 256, 1.0f, 2.0f, 127.99609f, -1.0f, -128.0f};
    forEveryTarget([&] {
        for (const int count : spanSizes) {
            const Pixels a = randomPixels(random, count);
            const Pixels b = randomPixels(random, count);
            const Pixels before = randomPixels(random, count); // must not show through
            for (const std::uint32_t weight : weights) {
                for (const float factor : factors) {
                    Pixels plain = before;
                    Pixels fast = before;
                    Velvor::rotateHuePlain(a.data(), b.data(), plain.data(), count, weight,
                                           factor * 1.4117647f);
                    Velvor::rotateHueFast(a.data(), b.data(), fast.data(), count, weight,
                                          factor * 1.4117647f);
                    ASSERT_EQ(plain, fast)
                        << "hue, count " << count << " weight " << weight << " factor " << factor;
                    plain = before;
                    fast = before;
                    Velvor::saturatePlain(a.data(), b.data(), plain.data(), count, weight, factor / 255.0f);
                    Velvor::saturateFast(a.data(), b.data(), fast.data(), count, weight, factor / 255.0f);
                    ASSERT_EQ(plain, fast) << "saturation, count " << count << " weight " << weight;
                }
            }
        }
    });
}

TEST(PixelKernelsTest, NormalsMatchThePlainLoop) {
    std::mt19937 random(12);
    // amount / 256 / 765 for amounts 1, 256, 8192 and the 16-bit extremes.
    const float slopes[] = {1.0f / 256 / 765, 1.0f / 765, 32.0f / 765, 32767.0f / 256 / 765, -128.0f / 765};
    forEveryTarget([&] {
        for (const int count : spanSizes) {
            const Pixels left = randomPixels(random, count), right = randomPixels(random, count);
            const Pixels above = randomPixels(random, count), below = randomPixels(random, count);
            for (const float slope : slopes) {
                Pixels plain(left.size()), fast(left.size(), 0xDEADBEEFu);
                Velvor::normalsPlain(left.data(), right.data(), above.data(), below.data(), plain.data(),
                                     count, slope);
                Velvor::normalsFast(left.data(), right.data(), above.data(), below.data(), fast.data(), count,
                                    slope);
                ASSERT_EQ(plain, fast) << "count " << count << " slope " << slope;
            }
        }
    });
}

TEST(PixelKernelsTest, PlasmaCubicRowsMatchThePlainLoop) {
    std::mt19937 random(13);
    forEveryTarget([&] {
        for (const int count : spanSizes) {
            const Pixels rows[4] = {randomPixels(random, count), randomPixels(random, count),
                                    randomPixels(random, count), randomPixels(random, count)};
            const Velvor::Pixel* const rowPointers[4] = {rows[0].data(), rows[1].data(), rows[2].data(),
                                                         rows[3].data()};
            const Pixels tint = randomPixels(random, 256);
            // The parameters rows use, (i - f - 1) / (step - 1), for steps 2, 3 and 128, and 0.
            for (const float t : {0.0f, 1.0f / 2, 1.0f / 127, 126.0f / 127, 0.999f}) {
                Pixels plain(rows[0].size()), fast(rows[0].size());
                Velvor::cubicRowPlain(rowPointers, tint.data(), plain.data(), count, t);
                Velvor::cubicRowFast(rowPointers, tint.data(), fast.data(), count, t);
                ASSERT_EQ(plain, fast) << "count " << count << " t " << t;
            }
        }
    });
}

TEST(PixelKernelsTest, DisplacementMatchesThePlainLoop) {
    std::mt19937 random(14);
    // 1 x 1, a single row, and images whose rows are not a multiple of any vector width.
    const int sizes[][2] = {{1, 1}, {1001, 1}, {1, 17}, {33, 7}, {64, 64}, {600, 40}};
    forEveryTarget([&] {
        for (const auto& size : sizes) {
            const int width = size[0], height = size[1];
            const Pixels source = randomPixels(random, width * height);
            const Pixels modulator = randomPixels(random, width);
            // Shifts as tables of a channel byte (amounts and channel fractions, negative, large and
            // tiny) and as one value per pixel, past the edges both ways.
            std::vector<double> shifts(std::max(256, width) + 8);
            std::uniform_real_distribution<double> amount(-70000.0, 70000.0);
            for (double& shift : shifts) {
                shift = random() % 16 == 0 ? amount(random) : (random() % 256) / 255.0 * 16.0 - 1e-9;
            }
            for (const bool perPixel : {false, true}) {
                for (const int row : {0, height - 1}) {
                    Velvor::DisplacementSpan span;
                    span.source = source.data();
                    span.width = width;
                    span.height = height;
                    span.row = row;
                    span.begin = width > 3 ? 3 : 0;
                    span.count = width - span.begin;
                    span.modulator = modulator.data();
                    span.shiftX = shifts.data() + (perPixel ? span.begin : 0);
                    span.shiftY = shifts.data() + (perPixel ? 0 : 5 % width);
                    span.byteShiftX = 16;
                    span.byteShiftY = 8;
                    span.shiftsPerPixel = perPixel;
                    Pixels plain(modulator.size(), 0xDEADBEEFu), fast = plain;
                    span.out = plain.data();
                    Velvor::displacePlain(span);
                    span.out = fast.data();
                    Velvor::displaceFast(span);
                    ASSERT_EQ(plain, fast)
                        << width << " x " << height << " row " << row << " per pixel " << perPixel;
                }
            }
        }
    });
}
