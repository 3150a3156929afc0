#include "base/TextFormat.h"

#include <gtest/gtest.h>

TEST(TextFormatTest, PointsAreWrittenAsTwoSignedDecimals) {
    EXPECT_EQ(formatPoint({12, -3}), "12,-3");
    EXPECT_EQ(formatPoint({256, 256}), "256,256");
}

TEST(TextFormatTest, PointParsingIsTolerant) {
    EXPECT_EQ(parsePoint(" 10 , 20 "), (Point{10, 20}));
    EXPECT_EQ(parsePoint("7"), (Point{7, 0}));
    EXPECT_EQ(parsePoint("1,2,3"), (Point{1, 2}));
    EXPECT_EQ(parsePoint(""), (Point{0, 0}));
    EXPECT_EQ(parsePoint("-4,x9"), (Point{-4, 0}));
    EXPECT_EQ(parsePoint("99999999999,-99999999999"), (Point{2147483647, -2147483647 - 1}));
}

TEST(TextFormatTest, HexColoursRoundTripAndToleratesStrayCharacters) {
    EXPECT_EQ(formatHex32(-1), "FFFFFFFF");
    EXPECT_EQ(formatHex32(0x00FFFFFF), "00FFFFFF");
    EXPECT_EQ(parseHex("ffffffff"), -1);
    EXPECT_EQ(parseHex(""), 0);
    EXPECT_EQ(parseHex("0x1F"), 31);
    EXPECT_EQ(parseHex("0x10"), 16);
    EXPECT_EQ(parseHex("ff00ff00"), parseHex("FF00FF00"));
    EXPECT_EQ(static_cast<std::uint32_t>(parseHex("FF00FF00")), 0xFF00FF00u);
    // Only the last eight digits survive the 32-bit wrap.
    EXPECT_EQ(parseHex("123456789"), 0x23456789);
}

TEST(TextFormatTest, DecimalsReadLikeTheRuntimeConversion) {
    EXPECT_EQ(parseDecimal("  -42abc"), -42);
    EXPECT_EQ(parseDecimal("+7"), 7);
    EXPECT_EQ(parseDecimal("abc"), 0);
    EXPECT_EQ(parseDecimal("-"), 0);
    EXPECT_EQ(toLower("AbC-Z\xC4"), "abc-z\xC4");
}
