#include "app/PngWriter.h"

#include "base/Exception.h"

#include <cstdio>
#include <filesystem>
#include <png.h>
#include <vector>

namespace {

// libpng reports errors by longjmp; throwing from its error callback is the C++ way out and is
// supported as long as nothing between the callback and here holds resources without destructors.
[[noreturn]] void onPngError(png_structp, png_const_charp message) {
    throw Exception(message);
}
void onPngWarning(png_structp, png_const_charp) {}

void encode(std::FILE* file, const Velvor::Image& image, bool opaque) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError, onPngWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        throw Exception("out of memory");
    }
    struct Guard {
        png_structp& png;
        png_infop& info;
        ~Guard() { png_destroy_write_struct(&png, &info); }
    } guard{png, info};

    const int width = image.getWidth();
    const int height = image.getHeight();
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<std::size_t>(width) * 4);
    for (int r = height - 1; r >= 0; --r) {
        const Velvor::Pixel* pixels = image.row(r);
        for (int c = 0; c < width; ++c) {
            const Velvor::Pixel p = pixels[c];
            row[c * 4 + 0] = static_cast<png_byte>(Velvor::redOf(p));
            row[c * 4 + 1] = static_cast<png_byte>(Velvor::greenOf(p));
            row[c * 4 + 2] = static_cast<png_byte>(Velvor::blueOf(p));
            row[c * 4 + 3] = static_cast<png_byte>(opaque ? 255 : Velvor::alphaOf(p));
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
}

} // namespace

void writePng(const std::string& path, const Velvor::Image& image, bool opaque) {
    if (image.getWidth() <= 0 || image.getHeight() <= 0) {
        throw Exception("Could not write file " + path + ": a PNG needs at least one pixel");
    }
    const std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        throw Exception("Could not write file " + path);
    }
    std::error_code ignored;
    try {
        encode(file, image, opaque);
    } catch (const Exception& e) {
        std::fclose(file);
        std::filesystem::remove(temporary, ignored);
        throw Exception("Could not write file " + path + ": " + e.getMessage());
    }
    if (std::fclose(file) != 0) {
        std::filesystem::remove(temporary, ignored);
        throw Exception("Could not write file " + path);
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, ignored);
        throw Exception("Could not write file " + path);
    }
}
