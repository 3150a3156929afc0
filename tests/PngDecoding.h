#pragma once

// Reads a PNG written by the program back as 8-bit RGBA, top row first.

#include <cstddef>
#include <filesystem>
#include <gtest/gtest.h>
#include <png.h>
#include <vector>

struct Picture {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<png_byte> rgba; // top row first, as displayed

    const png_byte* at(unsigned row, unsigned column) const {
        return &rgba[(std::size_t{row} * width + column) * 4];
    }
};

inline Picture decode(const std::filesystem::path& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Picture picture;
    if (png_image_begin_read_from_file(&image, path.string().c_str()) == 0) {
        ADD_FAILURE() << path << ": " << image.message;
        return picture;
    }
    image.format = PNG_FORMAT_RGBA;
    picture.rgba.resize(PNG_IMAGE_SIZE(image));
    EXPECT_NE(png_image_finish_read(&image, nullptr, picture.rgba.data(), 0, nullptr), 0) << image.message;
    picture.width = image.width;
    picture.height = image.height;
    return picture;
}
