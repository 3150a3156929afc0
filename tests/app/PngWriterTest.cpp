#include "app/PngWriter.h"

#include "base/Exception.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <png.h>
#include <vector>

namespace {

std::vector<png_byte> decodeRgba(const std::string& path, png_uint_32& width, png_uint_32& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    EXPECT_NE(png_image_begin_read_from_file(&image, path.c_str()), 0) << image.message;
    image.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    EXPECT_NE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr), 0) << image.message;
    width = image.width;
    height = image.height;
    return pixels;
}

} // namespace

TEST(PngWriterTest, FirstPngRowIsTheLastImageRowWithStraightAlpha) {
    Velvor::Image image(2, 2);
    image.row(0)[0] = 0x80FF0000u; // bottom-left: half-transparent red
    image.row(1)[1] = 0xFF0000FFu; // top-right: opaque blue
    const std::string path = (std::filesystem::temp_directory_path() / "velvor-png-test.png").string();
    writePng(path, image, false);
    png_uint_32 width = 0, height = 0;
    const std::vector<png_byte> rgba = decodeRgba(path, width, height);
    ASSERT_EQ(width, 2u);
    ASSERT_EQ(height, 2u);
    // PNG row 0 = image row 1.
    EXPECT_EQ(std::vector<png_byte>(rgba.begin(), rgba.begin() + 8),
              (std::vector<png_byte>{0, 0, 0, 0, 0, 0, 255, 255}));
    EXPECT_EQ(std::vector<png_byte>(rgba.begin() + 8, rgba.end()),
              (std::vector<png_byte>{255, 0, 0, 128, 0, 0, 0, 0}));

    writePng(path, image, true);
    const std::vector<png_byte> opaque = decodeRgba(path, width, height);
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
