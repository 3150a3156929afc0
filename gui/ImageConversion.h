#pragma once

#include "core/Image.h"

#include <QImage>

// An operator's image as a person sees it: top row first, alpha ignored (opaque). Null for an
// image without pixels.
QImage displayedImage(const Velvor::Image& image);

// A small copy of the image as displayed, fitting `box` with its aspect kept (at least one pixel a
// side); each pixel the average of the 2 x 2 source pixels around its centre. Null for an image
// without pixels.
QImage thumbnailOf(const Velvor::Image& image, QSize box);
