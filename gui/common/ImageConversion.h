#pragma once

#include "core/Image.h"

#include <QImage>

class QPainter;

// An operator's image as a person sees it: top row first, alpha ignored (opaque). Null for an
// image without pixels.
QImage displayedImage(const Velvor::Image& image);
// The same into `picture`, reusing its pixels when it has the size already: a view that shows every
// render of one node then neither allocates nor touches fresh memory each time.
void showDisplayed(const Velvor::Image& image, QImage& picture);

// The image's pixel words as a picture, top row first, alpha kept in the top byte (ARGB32 read as
// words, not as colours: an alpha of 0 keeps its colour). Null for an image without pixels.
QImage pictureOf(const Velvor::Image& image);

// A small copy of the image as displayed, fitting `box` with its aspect kept (at least one pixel a
// side); each pixel the average of the 2 x 2 source pixels around its centre. Null for an image
// without pixels.
QImage thumbnailOf(const Velvor::Image& image, QSize box);

// Draws the picture at its own size from the top-left corner of `area`: repeated to the right and
// downwards and cut at the edges when tiled, once otherwise.
void paintTiled(QPainter& painter, const QImage& picture, QSize area, bool tiled);
