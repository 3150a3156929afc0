#include "io/PngWriter.h"

#include "base/Exception.h"
#include "base/File.h"

#include <algorithm>
#include <png.h>
#include <string>
#include <vector>

namespace {

// libpng reports errors by longjmp; throwing from its error callback is the C++ way out and is
// supported as long as nothing between the callback and here holds resources without destructors.
[[noreturn]] void onPngError(png_structp, png_const_charp message) {
    throw Exception(message);
}
void onPngWarning(png_structp, png_const_charp) {}

void appendToVector(png_structp png, png_bytep data, png_size_t length) {
    auto& out = *static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out.insert(out.end(), data, data + length);
}

void flushNothing(png_structp) {}

// libpng refuses images wider or taller than this by default (and most readers do too); saying so
// beats its "Invalid IHDR data".
constexpr int maxPngSide = PNG_USER_WIDTH_MAX;

// `rowAt(r, row)` fills the r-th PNG row (from the top) with `channels` bytes a pixel.
template <class RowAt>
void encodeInto(std::vector<std::uint8_t>& out, int width, int height, int channels, const RowAt& rowAt) {
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

    png_set_write_fn(png, &out, appendToVector, flushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<std::size_t>(width) * static_cast<std::size_t>(channels));
    for (int r = 0; r < height; ++r) {
        rowAt(r, row.data());
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
}

void checkSize(int width, int height) {
    if (width <= 0 || height <= 0) {
        throw Exception("a PNG needs at least one pixel");
    }
    if (width > maxPngSide || height > maxPngSide) {
        throw Exception("the image is " + std::to_string(width) + " x " + std::to_string(height) +
                        " pixels; PNG files are written up to " + std::to_string(maxPngSide) +
                        " pixels a side");
    }
}

} // namespace

std::vector<std::uint8_t> encodePng(const Velvor::Image& image, bool opaque) {
    const int width = image.getWidth();
    const int height = image.getHeight();
    checkSize(width, height);
    std::vector<std::uint8_t> out;
    encodeInto(out, width, height, 4, [&](int r, png_byte* row) {
        const Velvor::Pixel* pixels = image.row(height - 1 - r);
        for (int c = 0; c < width; ++c) {
            const Velvor::Pixel p = pixels[c];
            row[c * 4 + 0] = static_cast<png_byte>(Velvor::redOf(p));
            row[c * 4 + 1] = static_cast<png_byte>(Velvor::greenOf(p));
            row[c * 4 + 2] = static_cast<png_byte>(Velvor::blueOf(p));
            row[c * 4 + 3] = static_cast<png_byte>(opaque ? 255 : Velvor::alphaOf(p));
        }
    });
    return out;
}

std::vector<std::uint8_t> encodePngBytes(int width, int height, int channels,
                                         std::span<const std::uint8_t> bytes) {
    checkSize(width, height);
    if ((channels != 3 && channels != 4) ||
        bytes.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * channels) {
        throw Exception("the pixel bytes do not fit the PNG's size");
    }
    const std::size_t rowBytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
    std::vector<std::uint8_t> out;
    encodeInto(out, width, height, channels, [&](int r, png_byte* row) {
        const auto source = bytes.subspan(static_cast<std::size_t>(r) * rowBytes, rowBytes);
        std::copy(source.begin(), source.end(), row);
    });
    return out;
}

void writePng(const std::string& path, const Velvor::Image& image, bool opaque) {
    std::vector<std::uint8_t> bytes;
    try {
        bytes = encodePng(image, opaque);
    } catch (const Exception& e) {
        throw Exception("Could not write file " + path + " (" + e.getMessage() + ")");
    }
    writeFile(path, bytes);
}
