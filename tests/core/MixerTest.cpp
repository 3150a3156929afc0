#include "core/operators/Mixer.h"

#include "TestImages.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <vector>

using Velvor::Image;
using Velvor::Mixer;
using Velvor::Pixel;

namespace {

std::vector<Pixel> mix(const Image& a, const Image& b, std::int16_t type, std::int16_t amountA = 256,
                       std::int16_t amountB = 256, Pixel previous = 0) {
    Mixer mixer(a.getWidth(), a.getHeight());
    mixer.getImage().fill(previous);
    mixer.type = type;
    mixer.amountA = amountA;
    mixer.amountB = amountB;
    const Image* inputs[] = {&a, &b};
    mixer.generate(inputs);
    return pixelsOf(mixer.getImage());
}

int channelDistance(Pixel x, Pixel y, unsigned shift) {
    return std::abs(static_cast<int>((x >> shift) & 0xFF) - static_cast<int>((y >> shift) & 0xFF));
}

} // namespace

TEST(MixerTest, AddWeighsBothInputsAndSaturatesEachChannel) {
    const Image a = imageOf(2, 1, {0x80FF4010u, 0x40FF7F81u});
    const Image b = imageOf(2, 1, {0x80102030u, 0x01020304u});
    // Both weights 1.0: 0x80 + 0x80 and 0xFF + 0x10 saturate; 0x40 + 0x20, 0x10 + 0x30 do not.
    EXPECT_EQ(mix(a, b, Mixer::Add)[0], 0xFFFF6040u);
    // amountA 2.0, amountB 0: A doubled, 0x7F -> 0xFE, 0x81 -> saturated.
    EXPECT_EQ(mix(a, b, Mixer::Add, 512, 0)[1], 0x80FFFEFFu);
    // Half of each: (0x40 + 0x01) / 2 = 0x20, (0xFF + 0x02) / 2 = 0x80, (0x7F + 0x03) / 2, (0x81 + 0x04) / 2.
    EXPECT_EQ(mix(a, b, Mixer::Add, 128, 128)[1], 0x20804142u);
}

TEST(MixerTest, MultiplyByOpaqueWhiteLosesOneUnitAtTheTop) {
    const Image a = imageOf(2, 1, {0x80FF8000u, 0xFF102030u});
    const Image white = imageOf(2, 1, {0xFFFFFFFFu, 0xFFFFFFFFu});
    // (c * 255) >> 8: 255 -> 254, 128 -> 127, 0 -> 0.
    EXPECT_EQ(mix(a, white, Mixer::Multiply)[0], 0x7FFE7F00u);
    // 0x10 * 255 >> 8 = 0x0F, 0x20 -> 0x1F, 0x30 -> 0x2F.
    EXPECT_EQ(mix(a, white, Mixer::Multiply)[1], 0xFE0F1F2Fu);
    // Doubled weights: (255*2) * (255*2) >> 8 = 1016 saturates; 16*2 * 2*255 >> 8 = 63.
    EXPECT_EQ(mix(a, white, Mixer::Multiply, 512, 512)[1], 0xFF3F7FBFu);
}

// Alpha is 0 whatever the image held before (the node's previous picture must not show through).
TEST(MixerTest, HueWithBlackBReproducesAWithAlphaZeroWhateverCameBefore) {
    const Image a = randomImage(16, 8, 7);
    const Image black(16, 8);
    for (Pixel previous : {0x00000000u, 0xAB000000u}) {
        const std::vector<Pixel> out = mix(a, black, Mixer::Hue, 256, 256, previous | 0x00123456u);
        ASSERT_EQ(mix(a, black, Mixer::Saturation, 256, 256, previous), mix(a, black, Mixer::Saturation));
        for (int p = 0; p < a.getPixelCount(); ++p) {
            ASSERT_EQ(out[p] >> 24, 0u) << "pixel " << p;
            for (unsigned shift : {0u, 8u, 16u}) {
                ASSERT_LE(channelDistance(out[p], a.getPixels()[p], shift), 1)
                    << "pixel " << p << " shift " << shift;
            }
        }
    }
}

TEST(MixerTest, HueAndSaturationFollowTheMagnitudeOfB) {
    // Pure red has hue 0. B = (0, 0, 30) has magnitude 30: the hue turns by 30 * 360/255 = 42.35,
    // just short of sector 1, so green = 255 * 0.99654 = 254.1.
    const Image red = imageOf(1, 1, {0xFFFF0000u});
    const Image b30 = imageOf(1, 1, {0x0000001Eu});
    EXPECT_EQ(mix(red, b30, Mixer::Hue, 256, 256, 0x5A000000u)[0], 0x00FFFE00u);

    // (200, 100, 100): S = 127.5, V = 200. B = (0, 0, 255) adds amountB / 256 to S.
    const Image rose = imageOf(1, 1, {0xFFC86464u});
    const Image blue = imageOf(1, 1, {0x000000FFu});
    // amountB = 10.0: S = 137.5, P = 200 * (1 - 137.5 / 255) = 92.16.
    EXPECT_EQ(mix(rose, blue, Mixer::Saturation, 256, 2560)[0], 0x00C85C5Cu);
    // A huge gain saturates at 255: P = 0.
    EXPECT_EQ(mix(rose, blue, Mixer::Saturation, 256, 32767)[0], 0x00C80000u);
    // amountA scales A first: half of (200, 100, 100) has the same S, V = 100, and no gain keeps it.
    EXPECT_EQ(mix(rose, blue, Mixer::Saturation, 128, 0)[0], 0x00643232u);
}

TEST(MixerTest, UnknownTypesGiveAnAllZeroImage) {
    const Image a = randomImage(4, 3, 1);
    const Image b = randomImage(4, 3, 2);
    for (std::int16_t type : {std::int16_t{4}, std::int16_t{-1}, std::int16_t{-32768}, std::int16_t{32767}}) {
        EXPECT_EQ(mix(a, b, type, 256, 256, 0xFFFFFFFFu), std::vector<Pixel>(12, 0u)) << "type " << type;
    }
}

TEST(MixerTest, MissingOrMismatchedInputsLeaveTheImageAsItWas) {
    Mixer mixer(4, 4);
    mixer.getImage().fill(0x11223344u);
    const Image small = randomImage(2, 2, 3);
    const Image fits = randomImage(4, 4, 4);
    const Image* mismatched[] = {&fits, &small};
    mixer.generate(mismatched);
    const Image* missing[] = {&fits, nullptr};
    mixer.generate(missing);
    mixer.generate(nullptr);
    EXPECT_EQ(pixelsOf(mixer.getImage()), std::vector<Pixel>(16, 0x11223344u));
}

TEST(MixerTest, ExtremeAmountsAreComputedInUnsignedArithmetic) {
    const Image a = imageOf(1, 1, {0x00010080u});
    const Image zero(1, 1);
    // -256 is 0xFFFFFF00 as an unsigned weight: any non-zero channel saturates, zero stays zero.
    EXPECT_EQ(mix(a, zero, Mixer::Add, -256, 0)[0], 0x00FF00FFu);
    EXPECT_EQ(mix(a, a, Mixer::Multiply, 256, 0)[0], 0u);

    // Every 16-bit extreme on every type runs without undefined behaviour (checked under UBSan).
    const Image x = randomImage(5, 3, 11);
    const Image y = randomImage(5, 3, 12);
    const std::int16_t extremes[] = {-32768, -257, -1, 0, 1, 256, 512, 32767};
    for (std::int16_t type = Mixer::Add; type <= Mixer::Saturation; ++type) {
        for (std::int16_t amountA : extremes) {
            for (std::int16_t amountB : extremes) {
                const std::vector<Pixel> out = mix(x, y, type, amountA, amountB, 0x77000000u);
                if (type >= Mixer::Hue) {
                    for (Pixel p : out) {
                        ASSERT_EQ(p >> 24, 0u);
                    }
                }
            }
        }
    }
}

TEST(MixerTest, ParameterBlockIsSixLittleEndianBytes) {
    Mixer mixer(1, 1);
    EXPECT_EQ(mixer.getTypeId(), 2);
    EXPECT_EQ(mixer.getNumInputs(), 2);
    const std::uint8_t block[] = {0x00, 0x02, 0xFF, 0xFF, 0x03, 0x00, 0xEE};
    const std::uint8_t* cursor = block;
    mixer.readParameters(cursor);
    EXPECT_EQ(cursor, block + 6);
    EXPECT_EQ(mixer.amountA, 512);
    EXPECT_EQ(mixer.amountB, -1);
    EXPECT_EQ(mixer.type, Mixer::Saturation);
    std::vector<std::uint8_t> out;
    mixer.writeParameters(out);
    EXPECT_EQ(out, std::vector<std::uint8_t>(block, block + 6));
}
