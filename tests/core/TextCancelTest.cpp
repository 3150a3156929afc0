#include "TestImages.h"
#include "core/operators/Text.h"
#include "core/parallel/Parallel.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <vector>

// A text box many bands of rows tall: drawn band by band under a cancel scope, it must come out as in
// one piece; under a raised flag, no band is drawn and not even the clearing pass runs.
TEST(TextCancelTest, BandsChangeNoPixelAndARaisedFlagStopsBeforeTheFirst) {
    Velvor::Text op(512, 512);
    op.x = 0;
    op.y = 0;
    op.fontsize = 2048; // a cell of 256 rows, bands of 32
    op.setText("Wg|");
    op.generate(nullptr);
    const std::vector<Velvor::Pixel> whole = pixelsOf(op.getImage());
    if (op.getExtent().y < 4 * Velvor::rowsPerBand(512)) {
        GTEST_SKIP() << "no face to draw with";
    }
    std::atomic<bool> flag{false};
    {
        const Velvor::CancelScope scope(&flag);
        op.generate(nullptr);
        EXPECT_EQ(pixelsOf(op.getImage()), whole);
        flag = true;
        op.getImage().fill(0x12345678u);
        op.generate(nullptr);
    }
    const std::vector<Velvor::Pixel> stopped = pixelsOf(op.getImage());
    EXPECT_TRUE(
        std::all_of(stopped.begin(), stopped.end(), [](Velvor::Pixel p) { return p == 0x12345678u; }));
}
