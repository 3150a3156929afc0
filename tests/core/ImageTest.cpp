#include "core/Image.h"

#include "base/Exception.h"
#include "core/operators/Checkboard.h"

#include <gtest/gtest.h>

using Velvor::Image;
using Velvor::Pixel;

namespace {

bool allPixelsAre(const Image& image, Pixel value) {
    for (int i = 0; i < image.getPixelCount(); ++i) {
        if (image.getPixels()[i] != value) {
            return false;
        }
    }
    return true;
}

void expectAllocationFailure(int width, int height) {
    try {
        Image image(width, height);
        FAIL() << width << " x " << height << " was allocated";
    } catch (const Exception& e) {
        EXPECT_EQ(e.getMessage(), "Unable to allocate enough memory for temporary Image object.");
    }
}

} // namespace

TEST(ImageTest, NewImageIsTransparentBlackWithItsCounts) {
    const Image image(7, 3);
    EXPECT_EQ(image.getWidth(), 7);
    EXPECT_EQ(image.getHeight(), 3);
    EXPECT_EQ(image.getPixelCount(), 21);
    EXPECT_TRUE(allPixelsAre(image, 0));

    const Image empty(0, 0);
    EXPECT_EQ(empty.getPixelCount(), 0);
    const Image copyOfEmpty = empty;
    EXPECT_EQ(copyOfEmpty.getPixelCount(), 0);
}

TEST(ImageTest, CopiesAreDeepAndAssignmentAdoptsTheSourceSize) {
    Image source(2, 2);
    source.getPixels()[3] = 0xFF123456u;
    Image copy(source);
    source.getPixels()[3] = 0;
    EXPECT_EQ(copy.getPixels()[3], 0xFF123456u);

    Image target(5, 9);
    target = copy;
    EXPECT_EQ(target.getWidth(), 2);
    EXPECT_EQ(target.getHeight(), 2);
    EXPECT_EQ(target.getPixelCount(), 4);
    EXPECT_EQ(target.getPixels()[3], 0xFF123456u);

    // Same size: the buffer is kept and overwritten.
    const Pixel* buffer = target.getPixels();
    target = source;
    EXPECT_EQ(target.getPixels(), buffer);
    EXPECT_EQ(target.getPixels()[3], 0u);
}

TEST(ImageTest, ImpossibleSizesFailWithTheAllocationMessage) {
    expectAllocationFailure(32768, 32768); // exactly 2^30 pixels
    expectAllocationFailure(65536, 65536); // 2^32: would wrap to 0 in 32 bits
    expectAllocationFailure(-1, 10);
    expectAllocationFailure(10, -5);
    expectAllocationFailure(-65536, -65536); // positive product, still impossible
}

TEST(ImageTest, FailedAssignmentAndResizeKeepThePreviousImage) {
    Velvor::Checkboard op(4, 4);
    op.generate(nullptr);
    const Pixel before = op.getImage().getPixels()[0];
    EXPECT_THROW(op.resize(40000, 40000), Exception);
    EXPECT_EQ(op.getImage().getWidth(), 4);
    EXPECT_EQ(op.getImage().getPixels()[0], before);

    op.resize(3, 2);
    EXPECT_EQ(op.getImage().getWidth(), 3);
    EXPECT_EQ(op.getImage().getHeight(), 2);
    EXPECT_TRUE(allPixelsAre(op.getImage(), 0)); // contents are lost on resize
}

TEST(ImageTest, BaseOperatorReadsNoParameters) {
    struct Bare : Velvor::Operator {
        Bare() : Operator(Velvor::OperatorType::Collector, 0, 1, 1) {}
        void generate(const Image* const*) override {}
    } bare;
    const std::uint8_t bytes[] = {1, 2, 3};
    const std::uint8_t* cursor = bytes;
    const std::uint8_t*& result = bare.readParameters(cursor);
    EXPECT_EQ(&result, &cursor);
    EXPECT_EQ(cursor, bytes);
    std::vector<std::uint8_t> out;
    bare.writeParameters(out);
    EXPECT_TRUE(out.empty());
}
