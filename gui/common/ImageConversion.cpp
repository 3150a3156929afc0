#include "gui/common/ImageConversion.h"

#include <QPainter>
#include <algorithm>
#include <cstring>

QImage displayedImage(const Velvor::Image& image) {
    QImage picture;
    showDisplayed(image, picture);
    return picture;
}

void showDisplayed(const Velvor::Image& image, QImage& picture) {
    const int width = image.getWidth();
    const int height = image.getHeight();
    if (width <= 0 || height <= 0) {
        picture = QImage();
        return;
    }
    if (picture.width() != width || picture.height() != height || picture.format() != QImage::Format_RGB32) {
        picture = QImage(width, height, QImage::Format_RGB32);
    }
    // A pixel word is 0xAARRGGBB, which is what RGB32 reads, with the alpha byte ignored; the
    // picture's top row is the image's last.
    uchar* top = picture.bits();
    const auto stride = static_cast<std::size_t>(picture.bytesPerLine());
    for (int y = 0; y < height; ++y) {
        std::memcpy(top + static_cast<std::size_t>(y) * stride, image.row(height - 1 - y),
                    static_cast<std::size_t>(width) * sizeof(Velvor::Pixel));
    }
}

QImage pictureOf(const Velvor::Image& image) {
    if (image.getWidth() <= 0 || image.getHeight() <= 0) {
        return {};
    }
    QImage picture(image.getWidth(), image.getHeight(), QImage::Format_ARGB32);
    for (int row = 0; row < image.getHeight(); ++row) {
        std::memcpy(picture.scanLine(image.getHeight() - 1 - row), image.row(row),
                    static_cast<std::size_t>(image.getWidth()) * sizeof(Velvor::Pixel));
    }
    return picture;
}

QImage thumbnailOf(const Velvor::Image& image, QSize box) {
    const int width = image.getWidth();
    const int height = image.getHeight();
    if (width <= 0 || height <= 0 || box.isEmpty()) {
        return {};
    }
    const double scale =
        std::min(static_cast<double>(box.width()) / width, static_cast<double>(box.height()) / height);
    const int thumbWidth = std::max(1, static_cast<int>(width * scale));
    const int thumbHeight = std::max(1, static_cast<int>(height * scale));
    QImage thumbnail(thumbWidth, thumbHeight, QImage::Format_RGB32);
    for (int y = 0; y < thumbHeight; ++y) {
        // Thumbnail row 0 is the top; image row 0 the bottom.
        const int row = height - 1 - static_cast<int>((y + 0.5) * height / thumbHeight);
        const int nextRow = std::max(0, row - 1);
        auto* out = reinterpret_cast<QRgb*>(thumbnail.scanLine(y));
        for (int x = 0; x < thumbWidth; ++x) {
            const int column = std::min(width - 1, static_cast<int>((x + 0.5) * width / thumbWidth));
            const int nextColumn = std::min(width - 1, column + 1);
            const Velvor::Pixel samples[] = {image.row(row)[column], image.row(row)[nextColumn],
                                             image.row(nextRow)[column], image.row(nextRow)[nextColumn]};
            unsigned red = 0, green = 0, blue = 0;
            for (const Velvor::Pixel p : samples) {
                red += Velvor::redOf(p);
                green += Velvor::greenOf(p);
                blue += Velvor::blueOf(p);
            }
            out[x] = qRgb(static_cast<int>(red / 4), static_cast<int>(green / 4), static_cast<int>(blue / 4));
        }
    }
    return thumbnail;
}

void paintTiled(QPainter& painter, const QImage& picture, QSize area, bool tiled) {
    if (picture.isNull()) {
        return;
    }
    for (int y = 0; y < area.height(); y += picture.height()) {
        for (int x = 0; x < area.width(); x += picture.width()) {
            if (tiled || (x == 0 && y == 0)) {
                painter.drawImage(x, y, picture);
            }
        }
    }
}
