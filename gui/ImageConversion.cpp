#include "gui/ImageConversion.h"

QImage displayedImage(const Velvor::Image& image) {
    if (image.getWidth() <= 0 || image.getHeight() <= 0) {
        return {};
    }
    // A pixel word is 0xAARRGGBB, which is what RGB32 reads, with the alpha byte ignored. The
    // wrapper does not own the pixels; mirroring makes the copy, with row 0 at the bottom.
    const QImage borrowed(reinterpret_cast<const uchar*>(image.getPixels()), image.getWidth(),
                          image.getHeight(), image.getWidth() * 4, QImage::Format_RGB32);
    return borrowed.mirrored(false, true);
}
