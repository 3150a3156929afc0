#include "core/operators/SubPlasma.h"

#include "TestImages.h"
#include "core/RandomGenerator.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

using Velvor::Pixel;
using Velvor::SubPlasma;

namespace {

std::vector<int> draws(std::int32_t seed, int count) {
    Velvor::RandomGenerator random(seed);
    std::vector<int> result;
    for (int i = 0; i < count; ++i) {
        result.push_back(random.draw());
    }
    return result;
}

// A literal per-pixel transcription of the algorithm (modulo on every pixel, no segments), kept
// independent of the operator's optimised loops. Valid for sizes that are multiples of the step.
std::vector<Pixel> referencePlasma(int w, int h, int step, std::int32_t seed, Pixel colour) {
    std::uint32_t state = static_cast<std::uint32_t>(seed);
    auto draw = [&] {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    };
    std::vector<int> lattice(static_cast<size_t>(w * h), 0);
    for (int r = 0; r < h; r += step) {
        for (int c = 0; c < w; c += step) {
            lattice[r * w + c] = draw() & 0xFF;
        }
    }
    auto cubicRef = [](float y0, float y1, float y2, float y3, float t) {
        float P = (y3 - y2) - (y0 - y1);
        float Q = (y0 - y1) - P;
        float R = y2 - y0;
        return P * t * t * t + Q * t * t + R * t + y1;
    };
    auto clampByte = [](float v) { return std::min(255, std::max(0, static_cast<int>(v))); };
    std::vector<int> horizontal(static_cast<size_t>(w * h), 0);
    for (int r = 0; r < h; r += step) {
        for (int i = 0; i < w; ++i) {
            int k = i % step, e = i - k, v;
            if (k == 0) {
                v = lattice[r * w + i];
            } else {
                int c0 = e - step;
                while (c0 < 0)
                    c0 += w;
                v = clampByte(cubicRef(lattice[r * w + c0], lattice[r * w + e],
                                       lattice[r * w + (e + step) % w], lattice[r * w + (e + 2 * step) % w],
                                       float(i - e) / float(step)));
            }
            horizontal[r * w + i] = v;
        }
    }
    std::vector<Pixel> out(static_cast<size_t>(w * h));
    for (int i = 0; i < h; ++i) {
        int k = i % step, f = i - k;
        int r0 = f - step;
        while (r0 < 0)
            r0 += h;
        for (int j = 0; j < w; ++j) {
            int v;
            if (k == 0) {
                v = horizontal[i * w + j];
            } else {
                v = clampByte(cubicRef(
                    horizontal[r0 * w + j], horizontal[f * w + j], horizontal[((f + step) % h) * w + j],
                    horizontal[((f + 2 * step) % h) * w + j], float(i - f - 1) / float(step - 1)));
            }
            unsigned a = colour >> 24, red = (colour >> 16) & 255, g = (colour >> 8) & 255, b = colour & 255;
            out[i * w + j] =
                ((a * v / 255) << 24) | ((red * v / 255) << 16) | ((g * v / 255) << 8) | (b * v / 255);
        }
    }
    return out;
}

} // namespace

TEST(SubPlasmaTest, GeneratorDrawsTheKnownSequence) {
    EXPECT_EQ(draws(0, 4), (std::vector<int>{38, 7719, 21238, 2437}));
    EXPECT_EQ(draws(1, 4), (std::vector<int>{41, 18467, 6334, 26500}));
    // Negative seeds are sign-extended: -1 starts from state 0xFFFFFFFF.
    const std::uint32_t next = 0xFFFFFFFFu * 214013u + 2531011u;
    EXPECT_EQ(draws(-1, 1)[0], static_cast<int>((next >> 16) & 0x7FFF));
}

TEST(SubPlasmaTest, GridZeroGivesOneFlatTintOfTheFirstDraw) {
    SubPlasma op(8, 8);
    op.grid = 0;
    op.generate(nullptr);
    // 38 & 0xFF = 38 on every channel of a white tint.
    for (Pixel p : pixelsOf(op.getImage())) {
        ASSERT_EQ(p, 0x26262626u);
    }
}

TEST(SubPlasmaTest, OversizedGridsFallBackToRawNoise) {
    for (std::int16_t grid : {std::int16_t{4}, std::int16_t{31}, std::int16_t{32767}}) {
        SubPlasma op(8, 4);
        op.grid = grid;
        op.seed = 1;
        op.colour = 0xFF000000u; // black: the noise lands in alpha alone
        op.generate(nullptr);
        const std::vector<int> noise = draws(1, 32);
        const std::vector<Pixel> pixels = pixelsOf(op.getImage());
        for (int i = 0; i < 32; ++i) {
            ASSERT_EQ(pixels[i], static_cast<Pixel>(noise[i] & 0xFF) << 24)
                << "grid " << grid << " pixel " << i;
        }
    }
}

TEST(SubPlasmaTest, MatchesALiteralTranscriptionOnSmallImages) {
    struct Case {
        int w, h;
        std::int16_t grid, seed;
        Pixel colour;
    };
    for (const Case& c :
         {Case{4, 4, 1, 0, 0xFFFFFFFFu}, Case{8, 8, 1, 7, 0x80FF4020u}, Case{16, 8, 2, 512, 0xFFFFFFFFu},
          Case{32, 32, 3, 1, 0xFF00FF00u}, Case{8, 16, 0, 3, 0xFFFFFFFFu}}) {
        SubPlasma op(c.w, c.h);
        op.grid = c.grid;
        op.seed = c.seed;
        op.colour = c.colour;
        op.generate(nullptr);
        EXPECT_EQ(pixelsOf(op.getImage()), referencePlasma(c.w, c.h, op.latticeStep(), c.seed, c.colour))
            << c.w << "x" << c.h << " grid " << c.grid;
    }
}

TEST(SubPlasmaTest, WithStepTwoEveryOddRowRepeatsTheLatticeRowBeforeIt) {
    SubPlasma op(8, 8);
    op.grid = 2; // step 2
    op.generate(nullptr);
    const Velvor::Image& image = op.getImage();
    for (int r = 1; r < 8; r += 2) {
        for (int c = 0; c < 8; ++c) {
            ASSERT_EQ(image.row(r)[c], image.row(r - 1)[c]) << r << "," << c;
        }
    }
}

TEST(SubPlasmaTest, RunsAreReproducibleAcrossResizes) {
    SubPlasma op(64, 64);
    op.seed = 42;
    op.generate(nullptr);
    const std::vector<Pixel> first = pixelsOf(op.getImage());
    op.resize(32, 16);
    op.generate(nullptr);
    op.resize(64, 64);
    op.generate(nullptr);
    EXPECT_EQ(pixelsOf(op.getImage()), first);

    SubPlasma empty(0, 0);
    empty.generate(nullptr);
    SubPlasma line(1, 1);
    line.grid = 14;
    line.generate(nullptr);
    EXPECT_EQ(line.getImage().getPixels()[0], 0x26262626u);
}

TEST(SubPlasmaTest, AnOddSizeIgnoresWhatEarlierRunsLeft) {
    // 7 x 5 with grid 1 has step 3: the wrapped lattice reads land on column 2 and on row 1, which
    // no lattice point covers. An earlier run with another seed and a red tint leaves red there in
    // the image; one with grid 2 (step 1) fills every row of the horizontal pass.
    SubPlasma fresh(7, 5);
    fresh.grid = 1;
    ASSERT_EQ(fresh.latticeStep(), 3);
    fresh.generate(nullptr);
    for (const std::int16_t earlierGrid : {std::int16_t{1}, std::int16_t{2}}) {
        SubPlasma op(7, 5);
        op.grid = earlierGrid;
        op.seed = 99;
        op.colour = 0xFFFF8040u;
        op.generate(nullptr);
        op.grid = 1;
        op.seed = 0;
        op.colour = 0xFFFFFFFFu;
        op.generate(nullptr);
        EXPECT_EQ(pixelsOf(op.getImage()), pixelsOf(fresh.getImage())) << "after grid " << earlierGrid;
    }
}

TEST(SubPlasmaTest, ParameterBlockIsGridSeedThenColour) {
    SubPlasma op(1, 1);
    const std::uint8_t block[] = {0x05, 0x00, 0xFF, 0xFF, 0x44, 0x33, 0x22, 0x11};
    const std::uint8_t* cursor = block;
    op.readParameters(cursor);
    EXPECT_EQ(cursor, block + 8);
    EXPECT_EQ(op.grid, 5);
    EXPECT_EQ(op.seed, -1);
    EXPECT_EQ(op.colour, 0x11223344u);
    std::vector<std::uint8_t> out;
    op.writeParameters(out);
    EXPECT_EQ(out, std::vector<std::uint8_t>(block, block + 8));
}
