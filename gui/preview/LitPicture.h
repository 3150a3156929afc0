#pragma once

// The lit shading as the preview shows it: a picture, top row first, shaded on every thread. Its pixel
// words are shadeLitPlane's (LitShading.h) with the rows in the other order.

#include "core/Image.h"
#include "gui/preview/LitShading.h"

#include <QImage>
#include <QPoint>
#include <optional>

// Copies of the maps the preview shades, so the light can move while a render writes the collectors.
struct LitMaps {
    Velvor::Image diffuse{0, 0};
    Velvor::Image normals{0, 0};
    std::optional<Velvor::Image> specular;
};

// The light above a view point: the picture is drawn from the view's top-left corner (repeated when
// tiled), view y grows downwards and image rows upwards; the light stands half the larger side high.
PreviewLight lightAbove(QPoint viewPoint, int width, int height);

// Shades the maps into `picture` (RGB32 of the maps' size, its buffer kept when it has that size; null
// when memory for it cannot be had), rows split between threads in bands. Under a raised cancel flag
// (Velvor::CancelScope) it stops within a band, leaving the picture unfinished.
void shadeLitPicture(const LitMaps& maps, PreviewLight light, QImage& picture);

// The picture's pixel words as an image, bottom row first.
Velvor::Image imageOfPicture(const QImage& picture);
