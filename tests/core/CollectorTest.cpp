#include "core/operators/Collector.h"

#include <gtest/gtest.h>

TEST(CollectorTest, CopiesItsInputBitForBitAndAdoptsItsSize) {
    Velvor::Image input(3, 2);
    for (int i = 0; i < input.getPixelCount(); ++i) {
        input.getPixels()[i] = 0x01020304u * static_cast<unsigned>(i + 1) | 0x80000000u;
    }
    Velvor::Collector collector(8, 8);
    const Velvor::Image* inputs[] = {&input};
    collector.generate(inputs);
    ASSERT_EQ(collector.getImage().getWidth(), 3);
    ASSERT_EQ(collector.getImage().getHeight(), 2);
    for (int i = 0; i < input.getPixelCount(); ++i) {
        EXPECT_EQ(collector.getImage().getPixels()[i], input.getPixels()[i]);
    }
    EXPECT_EQ(collector.getNumInputs(), 1);
    EXPECT_EQ(collector.getTypeId(), 0);
}

TEST(CollectorTest, SlotIndexRoundTripsThroughItsBlock) {
    Velvor::Collector collector(1, 1);
    const std::uint8_t block[] = {0xFE, 0xFF};
    const std::uint8_t* cursor = block;
    collector.readParameters(cursor);
    EXPECT_EQ(collector.index, -2);
    std::vector<std::uint8_t> out;
    collector.writeParameters(out);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0xFE, 0xFF}));
}
