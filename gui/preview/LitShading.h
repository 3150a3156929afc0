#pragma once

// Shading of the material's maps on a flat plane, lit by a point light above it, as a preview of how
// the material will look. Plain computation on images, no toolkit.
//
// Coordinates are the images' own: x along a row, y along the image rows (row 0 at the bottom), the
// light `height` pixels above the plane. A normal map pixel holds x in red, y in green and z in blue,
// each as n * 127.5 + 127.5, as the NormalMap operator writes them. The eye looks straight down.
// Per pixel, with N the normal, L the direction to the light and H the half vector of L and the eye:
//   colour = diffuse * (ambient + (1 - ambient) * k * max(0, N.L)) + 255 * k * s * max(0, N.H)^shininess
// where k is the light's strength (1 by default) and s the specular map's brightness (0 without one),
// each channel truncated and held to 255.
// Blinn-Phong: cheap, stable, and what game engines of the packed form's kind shade with.

#include "core/Image.h"

struct PreviewLight {
    float x;
    float y;
    float height;
    float strength = 1.0f;
};

struct ShadingModel {
    float ambient = 0.2f;
    float shininess = 24.0f;
};

// `normals` and `specular` (may be null) must have the diffuse map's size; `out` is resized to it.
// Alpha of the result is 255.
void shadeLitPlane(const Velvor::Image& diffuse, const Velvor::Image& normals, const Velvor::Image* specular,
                   PreviewLight light, Velvor::Image& out, ShadingModel model = {});

// Row `row` of shadeLitPlane's result, written to `target` (one row of pixels), for a pass that places
// rows itself or splits them between threads. The plain version is the reference; the fast one runs
// the same IEEE single-precision operations in the same order on whole vectors where it can (Highway,
// chosen at run time; no fused multiply-add, no approximate reciprocal or square root) and calls the
// same powf, so it writes the same pixels bit for bit.
void shadeLitRow(const Velvor::Image& diffuse, const Velvor::Image& normals, const Velvor::Image* specular,
                 PreviewLight light, int row, Velvor::Pixel* target, ShadingModel model = {});
void shadeLitRowFast(const Velvor::Image& diffuse, const Velvor::Image& normals,
                     const Velvor::Image* specular, PreviewLight light, int row, Velvor::Pixel* target,
                     ShadingModel model = {});
