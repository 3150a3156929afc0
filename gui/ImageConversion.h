#pragma once

#include "core/Image.h"

#include <QImage>

// An operator's image as a person sees it: top row first, alpha ignored (opaque). Null for an
// image without pixels.
QImage displayedImage(const Velvor::Image& image);
