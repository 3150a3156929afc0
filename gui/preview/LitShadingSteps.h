#pragma once

// Shared by the plain and the vector rows of LitShading.h; internal to gui/preview.

#include "core/Image.h"
#include "gui/preview/LitShading.h"

namespace litSteps {

// Columns begin .. end - 1 of row `row`, in the plain way: the reference, and the vector row's tail.
void shadeSpan(const Velvor::Image& diffuse, const Velvor::Image& normals, const Velvor::Image* specular,
               PreviewLight light, int row, Velvor::Pixel* target, ShadingModel model, int begin, int end);

} // namespace litSteps
