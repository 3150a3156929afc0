#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace Velvor {

// One pixel word 0xAARRGGBB. Channels are taken from the word by shifts, so the code does not depend
// on the byte order of the machine: blue is bits 0-7, green 8-15, red 16-23, alpha 24-31.
using Pixel = std::uint32_t;

constexpr Pixel opaqueBlack = 0xFF000000u;
constexpr Pixel opaqueWhite = 0xFFFFFFFFu;

constexpr unsigned blueOf(Pixel p) {
    return p & 0xFFu;
}
constexpr unsigned greenOf(Pixel p) {
    return (p >> 8) & 0xFFu;
}
constexpr unsigned redOf(Pixel p) {
    return (p >> 16) & 0xFFu;
}
constexpr unsigned alphaOf(Pixel p) {
    return p >> 24;
}
constexpr Pixel makePixel(unsigned alpha, unsigned red, unsigned green, unsigned blue) {
    return (alpha << 24) | (red << 16) | (green << 8) | blue;
}

// A 32-bit image: `height` rows of `width` pixels without padding. Row 0 is the bottom row of the
// picture as displayed. A fresh image is zero-filled (transparent black).
class Image {
public:
    // Sizes whose pixel count reaches 2^30, and negative sizes, cannot be allocated.
    static constexpr std::int64_t maxPixelCount = (std::int64_t{1} << 30) - 1;

    // Raises Exception "Unable to allocate enough memory for temporary Image object." when the
    // buffer cannot be had.
    Image(int width, int height);
    Image(const Image& other);
    Image(Image&& other) noexcept;
    // Deep copy that adopts the source's size. A same-size target keeps its buffer; otherwise the new
    // buffer is allocated before the old one is given up, so a failure leaves the target unchanged.
    Image& operator=(const Image& other);
    Image& operator=(Image&& other) noexcept;
    virtual ~Image() = default;

    int getWidth() const { return width_; }
    int getHeight() const { return height_; }
    int getPixelCount() const { return pixelCount_; }
    Pixel* getPixels() { return pixels_.get(); }
    const Pixel* getPixels() const { return pixels_.get(); }

    Pixel* row(int r) { return pixels_.get() + static_cast<std::ptrdiff_t>(r) * width_; }
    const Pixel* row(int r) const { return pixels_.get() + static_cast<std::ptrdiff_t>(r) * width_; }

    bool sameSizeAs(const Image& other) const { return width_ == other.width_ && height_ == other.height_; }
    void fill(Pixel value);

private:
    struct FreeBuffer {
        void operator()(Pixel* p) const { std::free(p); }
    };
    using Buffer = std::unique_ptr<Pixel[], FreeBuffer>;

    static Buffer allocate(int width, int height);

    int width_ = 0;
    int height_ = 0;
    int pixelCount_ = 0;
    Buffer pixels_;
};

} // namespace Velvor
