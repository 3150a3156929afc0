// Faces and fontconfig's answers are shared by every Text operator of the process; these tests check
// that sharing never shows in the pixels.
#include "core/operators/Text.h"

#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

using Velvor::Image;
using Velvor::Pixel;
using Velvor::Text;

namespace {

struct TextCase {
    std::int16_t font;
    std::int16_t weight;
    std::int16_t fontsize;
    std::string text;
};

// Faces at two sizes each and two weights, the symbol face, and characters some faces lack.
const std::vector<TextCase> cases = {
    {0, 400, 1280, "Pwnage!"},           {0, 400, 2560, "Hg Qy"},       {0, 700, 1280, "Pwnage!"},
    {1, 400, 1024, "\xC4\xD6\xDC mono"}, {2, 400, 1536, "Tahoma \x80"}, {4, 400, 1280, "abc J"},
    {3, 900, 2048, "\xA9\xAE\xB5"},
};

std::vector<Pixel> render(Text& op, const TextCase& textCase) {
    op.x = 0;
    op.y = 512;
    op.font = textCase.font;
    op.weight = textCase.weight;
    op.fontsize = textCase.fontsize;
    op.setText(textCase.text);
    op.generate(nullptr);
    const Image& image = op.getImage();
    return std::vector<Pixel>(image.getPixels(), image.getPixels() + image.getPixelCount());
}

std::vector<Pixel> renderFresh(const TextCase& textCase) {
    Text op(64, 64);
    return render(op, textCase);
}

// Rows holding any glyph colour (the box itself is opaque black).
int inkedRows(const std::vector<Pixel>& pixels) {
    int rows = 0;
    for (std::size_t r = 0; r < 64; ++r) {
        bool inked = false;
        for (std::size_t c = 0; c < 64; ++c) {
            inked = inked || (pixels[r * 64 + c] & 0xFFFFFFu) != 0;
        }
        rows += inked ? 1 : 0;
    }
    return rows;
}

} // namespace

TEST(TextSharingTest, AFaceBackFromAnotherSizeDrawsAtTheSizeAskedFor) {
    const TextCase small{0, 400, 1280, "H"}; // 20-pixel cells
    const TextCase large{0, 400, 2560, "H"}; // 40-pixel cells
    const std::vector<Pixel> first = renderFresh(small);
    const int smallRows = inkedRows(first);
    ASSERT_GT(smallRows, 5);
    const int largeRows = inkedRows(renderFresh(large));
    EXPECT_GE(largeRows, 2 * smallRows - 2);
    EXPECT_LE(largeRows, 2 * smallRows + 2);
    EXPECT_EQ(renderFresh(small), first);
}

TEST(TextSharingTest, TextsOnManyThreadsDrawAsTheyDoOneAtATime) {
    std::vector<std::vector<Pixel>> expected;
    for (const TextCase& textCase : cases) {
        expected.push_back(renderFresh(textCase));
    }
    std::atomic<int> differences{0};
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            // One operator lives through every case, changing face and size; the others are new
            // each time, as the packed reader makes them.
            Text kept(64, 64);
            for (std::size_t round = 0; round < 300; ++round) {
                const std::size_t i = (t * 3 + round) % cases.size();
                differences += render(kept, cases[i]) != expected[i] ? 1 : 0;
                differences += renderFresh(cases[(i + 1) % cases.size()]) != expected[(i + 1) % cases.size()];
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(differences.load(), 0);
}
