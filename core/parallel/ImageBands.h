#pragma once

// Whole-image passes that operators run before or instead of their own, in bands of rows like them,
// so that a raised cancel flag (Parallel.h, CancelScope) stops these too within a band.

#include "core/Image.h"

namespace Velvor {

// Image::fill, band by band.
void fillInBands(Image& image, Pixel value);

// Image's copy assignment, band by band: the target adopts the source's size (a new buffer only when
// the size changes; an allocation failure raises Exception and leaves the target as it was), then
// the rows are copied.
void copyInBands(const Image& source, Image& target);

} // namespace Velvor
