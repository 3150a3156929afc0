#include "gui/preview/LitShading.h"

#include "gui/preview/LitShadingSteps.h"

#include <algorithm>
#include <cmath>

namespace {

struct Vector {
    float x, y, z;
};

Vector normalised(Vector v) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return length > 0.0f ? Vector{v.x / length, v.y / length, v.z / length} : Vector{0.0f, 0.0f, 1.0f};
}

float dot(Vector a, Vector b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

float decode(Velvor::Pixel channel) {
    return static_cast<float>(channel) / 127.5f - 1.0f;
}

Velvor::Pixel shadeChannel(Velvor::Pixel base, float light, float highlight) {
    const float value = static_cast<float>(base) * light + highlight;
    return static_cast<Velvor::Pixel>(std::min(value, 255.0f));
}

} // namespace

void litSteps::shadeSpan(const Velvor::Image& diffuse, const Velvor::Image& normals,
                         const Velvor::Image* specular, PreviewLight light, int row, Velvor::Pixel* target,
                         ShadingModel model, int begin, int end) {
    const Velvor::Pixel* colours = diffuse.row(row);
    const Velvor::Pixel* directions = normals.row(row);
    const Velvor::Pixel* shine = specular != nullptr ? specular->row(row) : nullptr;
    const float diffusePart = (1.0f - model.ambient) * light.strength;
    const float peak = 255.0f * light.strength;
    for (int column = begin; column < end; ++column) {
        const Velvor::Pixel n = directions[column];
        const Vector normal =
            normalised({decode(Velvor::redOf(n)), decode(Velvor::greenOf(n)), decode(Velvor::blueOf(n))});
        const Vector toLight = normalised(
            {light.x - static_cast<float>(column), light.y - static_cast<float>(row), light.height});
        const Vector half = normalised({toLight.x, toLight.y, toLight.z + 1.0f});
        const float lit = model.ambient + diffusePart * std::max(0.0f, dot(normal, toLight));
        float highlight = 0.0f;
        if (shine != nullptr) {
            const Velvor::Pixel s = shine[column];
            const float strength =
                static_cast<float>(Velvor::redOf(s) + Velvor::greenOf(s) + Velvor::blueOf(s)) /
                (3.0f * 255.0f);
            highlight = peak * strength * std::pow(std::max(0.0f, dot(normal, half)), model.shininess);
        }
        const Velvor::Pixel c = colours[column];
        target[column] = 0xFF000000u | (shadeChannel(Velvor::redOf(c), lit, highlight) << 16) |
                         (shadeChannel(Velvor::greenOf(c), lit, highlight) << 8) |
                         shadeChannel(Velvor::blueOf(c), lit, highlight);
    }
}

void shadeLitRow(const Velvor::Image& diffuse, const Velvor::Image& normals, const Velvor::Image* specular,
                 PreviewLight light, int row, Velvor::Pixel* target, ShadingModel model) {
    litSteps::shadeSpan(diffuse, normals, specular, light, row, target, model, 0, diffuse.getWidth());
}

void shadeLitPlane(const Velvor::Image& diffuse, const Velvor::Image& normals, const Velvor::Image* specular,
                   PreviewLight light, Velvor::Image& out, ShadingModel model) {
    if (!out.sameSizeAs(diffuse)) {
        out = Velvor::Image(diffuse.getWidth(), diffuse.getHeight());
    }
    for (int row = 0; row < diffuse.getHeight(); ++row) {
        shadeLitRow(diffuse, normals, specular, light, row, out.row(row), model);
    }
}
