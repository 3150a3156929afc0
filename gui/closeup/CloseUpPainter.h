#pragma once

// Draws what a close-up view shows into an image of the view's size, one widget pixel at a time
// from the geometry of CloseUpGeometry.h: the sample under each pixel's centre (nearest neighbour,
// so zoomed-in pixels are sharp squares), the channel mode applied, the rest in the fill colour.

#include "gui/closeup/ChannelMode.h"
#include "gui/closeup/CloseUpGeometry.h"

#include <QImage>

// `samples` holds the picture's words (top row first, any 32-bit format), at the picture's size or
// scaled down (its own width and height are then the number of samples along each axis); `layout`
// gives the picture's full size. `target` (RGB32, the view's size) is overwritten.
void paintCloseUp(QImage& target, const QImage& samples, const PictureLayout& layout,
                  const ViewTransform& transform, ChannelMode mode, QRgb fill);

// The picture scaled down smoothly for a zoom below 1 (each side rounded, at least one pixel), with
// alpha kept as words, not premultiplied.
QImage scaledDownPicture(const QImage& picture, double zoom);
