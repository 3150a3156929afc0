#include "core/Image.h"

#include "base/Exception.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <utility>

namespace Velvor {

namespace {

constexpr std::size_t cacheLine = 64;
constexpr std::size_t pageSize = 4096;

// Large blocks all start at the same place within a page, so the pixel k of every image, and of
// every row whose length is a power of two, would share its low address bits, and a pass reading
// one image while writing another contends for the same cache sets and address checks (a normal map
// of 2048 x 2048 took half as long again). Each buffer therefore starts at its own line of the page.
std::size_t nextColourOffset() {
    static std::atomic<unsigned> allocations{0};
    const unsigned n = allocations.fetch_add(1, std::memory_order_relaxed);
    // Five lines apart: 5 is coprime with 64, so every line comes in turn, and an image made right
    // after its input (a node after its source) lands where passes between the two ran fastest.
    return (n * 5u) % (pageSize / cacheLine) * cacheLine;
}

} // namespace

// The block from calloc is kept in the line before the pixels.
void Image::FreeBuffer::operator()(Pixel* pixels) const {
    if (pixels != nullptr) {
        void* block = nullptr;
        std::memcpy(&block, reinterpret_cast<unsigned char*>(pixels) - sizeof(void*), sizeof(void*));
        std::free(block);
    }
}

Image::Buffer Image::allocate(int width, int height) {
    const std::int64_t count = static_cast<std::int64_t>(width) * height;
    if (width < 0 || height < 0 || count > maxPixelCount) {
        throw Exception("Unable to allocate enough memory for temporary Image object.");
    }
    if (count == 0) {
        return Buffer();
    }
    // calloc: large zeroed buffers come straight from the system without being touched here. The
    // pixels start on a cache line, at least one line into the block, at the offset of their colour.
    const std::size_t bytes = static_cast<std::size_t>(count) * sizeof(Pixel);
    auto* block = static_cast<unsigned char*>(std::calloc(bytes + pageSize + cacheLine, 1));
    if (block == nullptr) {
        throw Exception("Unable to allocate enough memory for temporary Image object.");
    }
    const auto address = reinterpret_cast<std::uintptr_t>(block) + cacheLine;
    const std::uintptr_t lineStart = (address + cacheLine - 1) & ~std::uintptr_t{cacheLine - 1};
    unsigned char* start = block + (lineStart - reinterpret_cast<std::uintptr_t>(block)) + nextColourOffset();
    std::memcpy(start - sizeof(void*), &block, sizeof(void*));
    return Buffer(reinterpret_cast<Pixel*>(start));
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
