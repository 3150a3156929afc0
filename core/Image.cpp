#include "core/Image.h"

#include "base/Exception.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace Velvor {

Image::Buffer Image::allocate(int width, int height) {
    const std::int64_t count = static_cast<std::int64_t>(width) * height;
    if (width < 0 || height < 0 || count > maxPixelCount) {
        throw Exception("Unable to allocate enough memory for temporary Image object.");
    }
    if (count == 0) {
        return Buffer();
    }
    // calloc: large zeroed buffers come straight from the system without being touched here.
    auto* pixels = static_cast<Pixel*>(std::calloc(static_cast<std::size_t>(count), sizeof(Pixel)));
    if (pixels == nullptr) {
        throw Exception("Unable to allocate enough memory for temporary Image object.");
    }
    return Buffer(pixels);
}

Image::Image(int width, int height)
    : width_(width), height_(height), pixelCount_(0), pixels_(allocate(width, height)) {
    pixelCount_ = width * height;
}

Image::Image(const Image& other) : Image(other.width_, other.height_) {
    if (pixelCount_ > 0) {
        std::memcpy(pixels_.get(), other.pixels_.get(),
                    static_cast<std::size_t>(pixelCount_) * sizeof(Pixel));
    }
}

Image::Image(Image&& other) noexcept
    : width_(std::exchange(other.width_, 0)), height_(std::exchange(other.height_, 0)),
      pixelCount_(std::exchange(other.pixelCount_, 0)), pixels_(std::move(other.pixels_)) {}

Image& Image::operator=(const Image& other) {
    if (this == &other) {
        return *this;
    }
    if (!sameSizeAs(other)) {
        Buffer fresh = allocate(other.width_, other.height_);
        pixels_ = std::move(fresh);
        width_ = other.width_;
        height_ = other.height_;
        pixelCount_ = other.pixelCount_;
    }
    if (pixelCount_ > 0) {
        std::memcpy(pixels_.get(), other.pixels_.get(),
                    static_cast<std::size_t>(pixelCount_) * sizeof(Pixel));
    }
    return *this;
}

Image& Image::operator=(Image&& other) noexcept {
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    pixelCount_ = std::exchange(other.pixelCount_, 0);
    pixels_ = std::move(other.pixels_);
    return *this;
}

void Image::fill(Pixel value) {
    if (pixelCount_ > 0) {
        std::fill_n(pixels_.get(), pixelCount_, value);
    }
}

} // namespace Velvor
