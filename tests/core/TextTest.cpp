#include "core/operators/Text.h"

#include <algorithm>
#include <filesystem>
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

using Velvor::greenOf;
using Velvor::Image;
using Velvor::makePixel;
using Velvor::Pixel;
using Velvor::Text;

namespace {

std::vector<Pixel> pixelsOf(const Image& image) {
    return std::vector<Pixel>(image.getPixels(), image.getPixels() + image.getPixelCount());
}

// Every pixel in memory rows [firstRow, endRow) and columns [firstColumn, endColumn) is opaque,
// every other pixel is transparent black.
void expectOpaqueBoxOnly(const Image& image, int firstRow, int endRow, int firstColumn, int endColumn) {
    for (int r = 0; r < image.getHeight(); ++r) {
        for (int c = 0; c < image.getWidth(); ++c) {
            const bool inside = r >= firstRow && r < endRow && c >= firstColumn && c < endColumn;
            const Pixel p = image.row(r)[c];
            ASSERT_TRUE(inside ? Velvor::alphaOf(p) == 255 : p == 0) << "row " << r << " column " << c;
        }
    }
}

// 256 x 256 with default parameters but for `change`.
std::vector<Pixel> render(void (*change)(Text&)) {
    Text op(256, 256);
    change(op);
    op.generate(nullptr);
    return pixelsOf(op.getImage());
}

const std::vector<Pixel>& reference() {
    static const std::vector<Pixel> pixels = render([](Text&) {});
    return pixels;
}

// `moved` shows the reference moved so that its row r + dRow, column c + dColumn lands on (r, c),
// with nothing elsewhere.
void expectMovedReference(const std::vector<Pixel>& moved, int dRow, int dColumn) {
    for (int r = 0; r < 256; ++r) {
        for (int c = 0; c < 256; ++c) {
            const int fromRow = r + dRow;
            const int fromColumn = c + dColumn;
            const bool inside = fromRow >= 0 && fromRow < 256 && fromColumn >= 0 && fromColumn < 256;
            ASSERT_EQ(moved[r * 256 + c], inside ? reference()[fromRow * 256 + fromColumn] : 0u)
                << r << "," << c;
        }
    }
}

// A face a test relies on: one of the accepted families (which share its metrics), or for an empty
// list any monospaced face.
struct NeededFace {
    const char* family;
    std::vector<std::string> accepted;
};

const NeededFace arial{"Arial", {"Arial", "Liberation Sans"}};
const NeededFace courierNew{"Courier New", {}};
const NeededFace tahoma{"Tahoma", {"Tahoma"}};
const NeededFace wingdings{"Wingdings", {"Wingdings"}};

// Empty when fontconfig resolves every face as needed, looked up as the operator does (its extra
// folder of desktop face clones included); otherwise the reason a test that needs them cannot run.
std::string missingFaces(std::initializer_list<const NeededFace*> faces) {
    static FcConfig* const config = [] {
        FcConfig* loaded = FcInitLoadConfigAndFonts();
        std::error_code error;
        if (loaded != nullptr && std::filesystem::is_directory("/usr/share/wine/fonts", error)) {
            FcConfigAppFontAddDir(loaded, reinterpret_cast<const FcChar8*>("/usr/share/wine/fonts"));
        }
        return loaded;
    }();
    std::string missing;
    for (const NeededFace* face : faces) {
        FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(face->family));
        FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = config == nullptr ? nullptr : FcFontMatch(config, pattern, &result);
        FcPatternDestroy(pattern);
        FcChar8* family = nullptr;
        FcChar8* file = nullptr;
        int spacing = FC_PROPORTIONAL;
        std::string resolved = "nothing";
        bool suitable = false;
        if (match != nullptr && FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
            FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
            FcPatternGetInteger(match, FC_SPACING, 0, &spacing);
            resolved = reinterpret_cast<const char*>(family);
            suitable = face->accepted.empty() ? spacing == FC_MONO
                                              : std::find(face->accepted.begin(), face->accepted.end(),
                                                          resolved) != face->accepted.end();
            resolved += std::string(" in ") + reinterpret_cast<const char*>(file);
        }
        if (match != nullptr) {
            FcPatternDestroy(match);
        }
        if (!suitable) {
            std::string need = face->accepted.empty() ? "a monospaced face" : "the face";
            for (const std::string& name : face->accepted) {
                need += (&name == &face->accepted.front() ? " " : " or ") + name;
            }
            missing += std::string("needs ") + face->family + " to resolve to " + need + ", not to " +
                       resolved + ". ";
        }
    }
    return missing;
}

long inkOf(const Image& image) {
    long sum = 0;
    for (int i = 0; i < image.getPixelCount(); ++i) {
        sum += greenOf(image.getPixels()[i]);
    }
    return sum;
}

} // namespace

TEST(TextTest, DefaultsDrawTheWordOnABlackBoxFromTheCentre) {
    if (const std::string why = missingFaces({&arial}); !why.empty()) {
        GTEST_SKIP() << why;
    }
    Text op(256, 256);
    EXPECT_EQ(op.getText(), "Pwnage!");
    op.generate(nullptr);
    // Cell height 256 * 256 / 4096. Arial: winAscent 1854 + winDescent 434 units of 2048 per em, so
    // the em is round(16 * 2048 / 2288) = 14 px; advances P 1366, w 1479, n a g e 1139, ! 569 units.
    EXPECT_EQ(op.getExtent().y, 16);
    int expectedWidth = 0;
    for (int units : {1366, 1479, 1139, 1139, 1139, 1139, 569}) {
        expectedWidth += (units * 14 + 1024) / 2048;
    }
    EXPECT_NEAR(op.getExtent().x, expectedWidth, 1);

    // Top-left corner 128 px from the top and left of the displayed picture: memory rows 127..112.
    const Image& image = op.getImage();
    const int width = op.getExtent().x;
    expectOpaqueBoxOnly(image, 112, 128, 128, 128 + width);
    int bright = 0;
    for (int r = 112; r < 128; ++r) {
        for (int c = 128; c < 128 + width; ++c) {
            const Pixel p = image.row(r)[c];
            EXPECT_EQ(p, makePixel(255, greenOf(p), greenOf(p), greenOf(p))); // white scaled by coverage
            bright += greenOf(p) >= 200 ? 1 : 0;
        }
    }
    EXPECT_GT(bright, 40);
    // Upright: the P's stem is ink above the baseline (box row 5); below the baseline (box row 13)
    // only the g has ink, not the P.
    EXPECT_GT(greenOf(image.row(122)[129]) + greenOf(image.row(122)[130]), 200u);
    EXPECT_EQ(image.row(114)[129], Velvor::opaqueBlack);
}

TEST(TextTest, GlyphsAreTheColourScaledByCoverageAndPureGreenStaysTransparent) {
    const std::vector<Pixel> orange = render([](Text& op) { op.colour = 0x00FF8040u; });
    const std::vector<Pixel> green = render([](Text& op) { op.colour = 0x0000FF00u; });
    int holes = 0;
    for (std::size_t i = 0; i < reference().size(); ++i) {
        if (reference()[i] == 0) {
            ASSERT_EQ(orange[i], 0u);
            ASSERT_EQ(green[i], 0u);
            continue;
        }
        const unsigned v = greenOf(reference()[i]); // the coverage, since white is scaled by it
        ASSERT_EQ(orange[i], makePixel(255, 255 * v / 255, 0x80 * v / 255, 0x40 * v / 255)) << i;
        ASSERT_EQ(green[i], v == 255 ? 0u : makePixel(255, 0, v, 0)) << i;
        holes += v == 255 ? 1 : 0;
    }
    EXPECT_GT(holes, 10);
}

TEST(TextTest, PositionsAreCutAtEveryEdgeWithoutWrapping) {
    const std::vector<Pixel> empty(256 * 256, 0);
    EXPECT_EQ(render([](Text& op) { op.x = 4096; }), empty);
    EXPECT_EQ(render([](Text& op) { op.y = 4096; }), empty);
    EXPECT_EQ(render([](Text& op) { op.x = -4096; }), empty);
    EXPECT_EQ(render([](Text& op) { op.y = -4096; }), empty);
    // ox = -16: box column j on column j - 16 instead of 128 + j.
    expectMovedReference(render([](Text& op) { op.x = -256; }), 0, 144);
    // oy = -8: box row i on memory row 263 - i instead of 127 - i; rows 0..7 fall off the top.
    expectMovedReference(render([](Text& op) { op.y = -128; }), -136, 0);
    // oy = 250: box row i on memory row 5 - i; rows 6..15 fall off the bottom.
    expectMovedReference(render([](Text& op) { op.y = 4000; }), 122, 0);

    Text op(256, 256);
    op.setText(std::string(200, 'W'));
    op.generate(nullptr);
    EXPECT_GT(op.getExtent().x, 128);
    expectOpaqueBoxOnly(op.getImage(), 112, 128, 128, 256);
}

TEST(TextTest, FaceAndWeightChangesTakeEffectOnTheNextRun) {
    EXPECT_STREQ(Text::faceName(3), "Verdana");
    EXPECT_STREQ(Text::faceName(5), "Arial");
    EXPECT_STREQ(Text::faceName(-1), "Arial");
    EXPECT_EQ(render([](Text& op) { op.font = 99; }), reference());
    EXPECT_EQ(render([](Text& op) { op.font = -1; }), reference());

    Text op(256, 256);
    op.font = 1;
    op.weight = 700;
    op.generate(nullptr);
    op.font = 0;
    op.generate(nullptr);
    const long bold = inkOf(op.getImage());
    op.weight = 400;
    op.generate(nullptr);
    EXPECT_EQ(pixelsOf(op.getImage()), reference());
    EXPECT_GT(bold, inkOf(op.getImage()) * 11 / 10);
}

TEST(TextTest, CourierNewIsMonospacedAndWingdingsIsBoldenedByHand) {
    if (const std::string why = missingFaces({&courierNew, &wingdings}); !why.empty()) {
        GTEST_SKIP() << why;
    }
    auto widthOf = [](Text& op, const char* text) {
        op.setText(text);
        op.generate(nullptr);
        return op.getExtent().x;
    };
    Text op(256, 256);
    EXPECT_LT(widthOf(op, "iiii"), widthOf(op, "WWWW"));
    op.font = 1; // every character has the same advance
    EXPECT_EQ(widthOf(op, "iiii"), widthOf(op, "WWWW"));
    op.font = 4; // symbol codes draw; it has no bold face, so bold is drawn heavier
    widthOf(op, "Glnop");
    const long symbols = inkOf(op.getImage());
    EXPECT_GT(symbols, 0);
    op.weight = 700;
    op.generate(nullptr);
    EXPECT_GT(inkOf(op.getImage()), symbols * 11 / 10);
}

TEST(TextTest, HeightsAreCellHeightsWithDefaultAndLimit) {
    Text op(256, 256);
    op.fontsize = 0;
    op.generate(nullptr);
    EXPECT_EQ(op.getExtent().y, 16);
    EXPECT_GT(inkOf(op.getImage()), 0);

    Text small(64, 64); // 64 * 32 / 4096 rounds down to 0: the default height too
    small.fontsize = 32;
    small.generate(nullptr);
    EXPECT_EQ(small.getExtent().y, 16);

    Text huge(1024, 1024); // 1024 * 32767 / 4096 = 8191 px, cut to 4096
    huge.fontsize = 32767;
    huge.x = 0;
    huge.y = 0;
    huge.generate(nullptr);
    EXPECT_EQ(huge.getExtent().y, 4096);
    EXPECT_GT(inkOf(huge.getImage()), 0);
}

TEST(TextTest, ANegativeSizeIsAnEmHeightInTheFacesOwnCell) {
    if (const std::string why = missingFaces({&arial, &tahoma}); !why.empty()) {
        GTEST_SKIP() << why;
    }
    // A 16 px em of Arial has a 16 * 2288 / 2048 = 17.9 px cell.
    Text op(256, 256);
    op.fontsize = -256;
    op.generate(nullptr);
    EXPECT_EQ(op.getExtent().y, 18);
    // Tahoma's cell comes from winAscent 2049 + winDescent 423, not from its hhea ascender 1566.
    op.font = 2;
    op.generate(nullptr);
    EXPECT_EQ(op.getExtent().y, 19);
}

TEST(TextTest, EverySixteenBitValueStaysInsideItsBox) {
    const std::int16_t extremes[] = {-32768, -4097, -1, 0, 1, 2048, 4095, 32767};
    Text op(64, 48);
    auto check = [&op] {
        op.generate(nullptr);
        const long long ox = op.x * 64LL / 4096;
        const long long top = 47 - op.y * 48LL / 4096; // memory row of the box's first row
        for (int r = 0; r < 48; ++r) {
            for (int c = 0; c < 64; ++c) {
                const Pixel p = op.getImage().row(r)[c];
                const bool inBox =
                    r <= top && r > top - op.getExtent().y && c >= ox && c < ox + op.getExtent().x;
                ASSERT_TRUE(p == 0 || (inBox && Velvor::alphaOf(p) == 255))
                    << "x " << op.x << " y " << op.y << " size " << op.fontsize << " weight " << op.weight;
            }
        }
    };
    for (std::int16_t a : extremes) {
        for (std::int16_t b : extremes) {
            op.x = a;
            op.y = b;
            op.fontsize = 256;
            op.weight = 400;
            check();
            op.x = 1024;
            op.y = 1024;
            op.fontsize = a;
            op.weight = b;
            check();
        }
    }
    for (auto [w, h] : {std::pair{0, 0}, std::pair{0, 16}, std::pair{16, 0}}) {
        Text empty(w, h);
        empty.generate(nullptr);
        EXPECT_EQ(empty.getImage().getPixelCount(), 0);
    }
}

TEST(TextTest, ParameterBlockIsFourteenBytesThenTheTerminatedText) {
    Text op(8, 8);
    op.x = -2;
    op.y = 0x1234;
    op.fontsize = 300;
    op.weight = 700;
    op.font = 3;
    op.colour = 0x11223344u;
    op.setText("Hi");
    std::vector<std::uint8_t> bytes;
    op.writeParameters(bytes);
    const std::vector<std::uint8_t> expected = {0xFE, 0xFF, 0x34, 0x12, 0x2C, 0x01, 0xBC, 0x02, 0x03,
                                                0x00, 0x44, 0x33, 0x22, 0x11, 'H',  'i',  0x00};
    EXPECT_EQ(bytes, expected);

    Text copy(8, 8);
    bytes.push_back(0xAB); // the next record's first byte must not be taken
    const std::uint8_t* cursor = bytes.data();
    copy.readParameters(cursor);
    EXPECT_EQ(cursor, bytes.data() + 17);
    std::vector<std::uint8_t> again;
    copy.writeParameters(again);
    EXPECT_EQ(again, expected);
}

TEST(TextTest, OverlongTextsKeepTheFirst1023Characters) {
    std::vector<std::uint8_t> block(14, 0);
    for (int i = 0; i < 1500; ++i) {
        block.push_back(static_cast<std::uint8_t>('a' + i % 26));
    }
    block.push_back(0);
    block.push_back(0x55);
    Text op(8, 8);
    const std::uint8_t* cursor = block.data();
    op.readParameters(cursor);
    EXPECT_EQ(cursor, block.data() + 14 + 1501);
    ASSERT_EQ(op.getText().size(), 1023u);
    EXPECT_EQ(op.getText().back(), static_cast<char>('a' + 1022 % 26));
    EXPECT_EQ(op.text[1023], '\0');

    op.setText(std::string(2000, 'z'));
    EXPECT_EQ(op.getText(), std::string(1023, 'z'));
    op.text.fill('q'); // no terminator at all: still at most 1023 characters
    std::vector<std::uint8_t> written;
    op.writeParameters(written);
    EXPECT_EQ(written.size(), 14u + 1023u + 1u);
    EXPECT_EQ(written.back(), 0);
}
