#include "io/PngWriter.h"

#include "PngDecoding.h"
#include "base/Exception.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <png.h>
#include <vector>

TEST(PngWriterTest, FirstPngRowIsTheLastImageRowWithStraightAlpha) {
    Velvor::Image image(2, 2);
    image.row(0)[0] = 0x80FF0000u; // bottom-left: half-transparent red
    image.row(1)[1] = 0xFF0000FFu; // top-right: opaque blue
    const std::string path = (std::filesystem::temp_directory_path() / "velvor-png-test.png").string();
    writePng(path, image, false);
    const Picture picture = decode(path);
    const std::vector<png_byte>& rgba = picture.rgba;
    ASSERT_EQ(picture.width, 2u);
    ASSERT_EQ(picture.height, 2u);
    // PNG row 0 = image row 1.
    EXPECT_EQ(std::vector<png_byte>(rgba.begin(), rgba.begin() + 8),
              (std::vector<png_byte>{0, 0, 0, 0, 0, 0, 255, 255}));
    EXPECT_EQ(std::vector<png_byte>(rgba.begin() + 8, rgba.end()),
              (std::vector<png_byte>{255, 0, 0, 128, 0, 0, 0, 0}));

    writePng(path, image, true);
    const std::vector<png_byte> opaque = decode(path).rgba;
    EXPECT_EQ(opaque[3], 255);
    EXPECT_EQ(opaque[15], 255);
    std::filesystem::remove(path);
}

TEST(PngWriterTest, FailuresLeaveNoFileBehind) {
    const Velvor::Image image(1, 1);
    const std::string path =
        (std::filesystem::temp_directory_path() / "no-such-velvor-dir" / "x.png").string();
    EXPECT_THROW(writePng(path, image, false), Exception);
    const Velvor::Image empty(0, 3);
    const std::string emptyPath = (std::filesystem::temp_directory_path() / "velvor-empty.png").string();
    EXPECT_THROW(writePng(emptyPath, empty, false), Exception);
    EXPECT_FALSE(std::filesystem::exists(emptyPath));
}
