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

// How high the light stands, as a share of the picture's larger side, and how strong it is.
struct LightShape {
    float height = 0.5f;
    float strength = 1.0f;
};

// The light above a point of the picture (top row first; repeated, so a point beyond it is the same
// point of another copy): picture y grows downwards and image rows upwards.
PreviewLight lightAbove(QPoint picturePoint, int width, int height, LightShape shape = {});

// Shades the maps into `picture` (RGB32 of the maps' size, its buffer kept when it has that size; null
// when memory for it cannot be had), rows split between threads in bands. Under a raised cancel flag
// (Velvor::CancelScope) it stops within a band, leaving the picture unfinished.
void shadeLitPicture(const LitMaps& maps, PreviewLight light, QImage& picture);

// The picture's pixel words as an image, bottom row first.
Velvor::Image imageOfPicture(const QImage& picture);
