#include "gui/preview/LitPicture.h"

#include "core/parallel/Parallel.h"

#include <algorithm>
#include <cstring>

PreviewLight lightAbove(QPoint picturePoint, int width, int height, LightShape shape) {
    const int x = (picturePoint.x() % width + width) % width;
    const int y = (picturePoint.y() % height + height) % height;
    return {static_cast<float>(x), static_cast<float>(height) - 1.0f - static_cast<float>(y),
            shape.height * static_cast<float>(std::max(width, height)), shape.strength};
}

void shadeLitPicture(const LitMaps& maps, PreviewLight light, QImage& picture) {
    const int width = maps.diffuse.getWidth();
    const int height = maps.diffuse.getHeight();
    if (picture.size() != QSize(width, height) || picture.format() != QImage::Format_RGB32) {
        picture = QImage(width, height, QImage::Format_RGB32);
        if (picture.isNull()) {
            return; // out of memory: no frame
        }
    }
    // Taken once, before the threads: a picture shared with another copy detaches here, not in a band.
    uchar* bits = picture.bits();
    const qsizetype stride = picture.bytesPerLine();
    const Velvor::Image* specular = maps.specular ? &*maps.specular : nullptr;
    Velvor::forEachBand(height, Velvor::rowsPerBand(width), [&](int begin, int end) {
        for (int row = begin; row < end; ++row) {
            auto* target = reinterpret_cast<Velvor::Pixel*>(bits + (height - 1 - row) * stride);
            shadeLitRowFast(maps.diffuse, maps.normals, specular, light, row, target);
        }
    });
}

Velvor::Image imageOfPicture(const QImage& picture) {
    Velvor::Image image(picture.width(), picture.height());
    for (int row = 0; row < image.getHeight(); ++row) {
        std::memcpy(image.row(row), picture.constScanLine(image.getHeight() - 1 - row),
                    static_cast<std::size_t>(image.getWidth()) * sizeof(Velvor::Pixel));
    }
    return image;
}
