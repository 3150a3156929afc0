// The vector row of the lit shading, compiled once per instruction set that Highway targets and
// chosen at run time. Three passes over a block of pixels, each in the plain row's operations and
// order: on whole vectors, the normal, the directions to the light and halfway, the diffuse term and
// N.H; then powf of each N.H, one pixel at a time (it has no exact vector form); then on whole vectors
// again, the highlight and the colour. A row's tail goes through the plain code.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "gui/preview/LitShadingFast.cpp"
#include "gui/preview/LitShadingSteps.h"

#include <algorithm>
#include <cmath>
#include <hwy/foreach_target.h> // IWYU pragma: keep
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace litVectors {
namespace HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

using FloatTag = hn::ScalableTag<float>;
using WordTag = hn::RebindToUnsigned<FloatTag>;
using IntTag = hn::RebindToSigned<FloatTag>;
using FloatVector = hn::Vec<FloatTag>;
using IntVector = hn::Vec<IntTag>;
using WordVector = hn::Vec<WordTag>;

struct Vectors {
    FloatVector x, y, z;
};

// litSteps::decode of the channel byte at bit `Shift` of each pixel.
template <int Shift> HWY_INLINE FloatVector decoded(WordVector pixels) {
    const FloatTag df;
    const WordVector byte = hn::And(hn::ShiftRight<Shift>(pixels), hn::Set(WordTag(), 0xFFu));
    const FloatVector channel = hn::ConvertTo(df, hn::BitCast(IntTag(), byte));
    return hn::Sub(hn::Div(channel, hn::Set(df, 127.5f)), hn::Set(df, 1.0f));
}

// A zero (or NaN) length gives straight up, as in the plain row.
HWY_INLINE Vectors normalised(Vectors v) {
    const FloatTag df;
    const FloatVector zero = hn::Zero(df);
    const FloatVector length =
        hn::Sqrt(hn::Add(hn::Add(hn::Mul(v.x, v.x), hn::Mul(v.y, v.y)), hn::Mul(v.z, v.z)));
    const auto positive = hn::Gt(length, zero);
    return {hn::IfThenElse(positive, hn::Div(v.x, length), zero),
            hn::IfThenElse(positive, hn::Div(v.y, length), zero),
            hn::IfThenElse(positive, hn::Div(v.z, length), hn::Set(df, 1.0f))};
}

HWY_INLINE FloatVector dot(const Vectors& a, const Vectors& b) {
    return hn::Add(hn::Add(hn::Mul(a.x, b.x), hn::Mul(a.y, b.y)), hn::Mul(a.z, b.z));
}

// std::max(0.0f, v), which gives 0 for NaN.
HWY_INLINE FloatVector positivePart(FloatVector v) {
    const FloatVector zero = hn::Zero(FloatTag());
    return hn::IfThenElse(hn::Lt(zero, v), v, zero);
}

template <int Shift> HWY_INLINE IntVector byteAt(WordVector pixels) {
    return hn::BitCast(IntTag(), hn::And(hn::ShiftRight<Shift>(pixels), hn::Set(WordTag(), 0xFFu)));
}

// The plain shadeChannel of the colour byte at bit `Shift`, moved there. The value is never negative
// nor NaN, so min(value, 255) truncated is a conversion to int.
template <int Shift>
HWY_INLINE WordVector shadedChannel(WordVector colours, FloatVector lit, FloatVector highlight) {
    const FloatTag df;
    const FloatVector value = hn::Add(hn::Mul(hn::ConvertTo(df, byteAt<Shift>(colours)), lit), highlight);
    const WordVector byte =
        hn::BitCast(WordTag(), hn::ConvertTo(IntTag(), hn::Min(value, hn::Set(df, 255.0f))));
    return hn::ShiftLeft<Shift>(byte);
}

constexpr int litBlock = 256;

void shadeRowVector(const Velvor::Image& diffuse, const Velvor::Image& normals, const Velvor::Image* specular,
                    PreviewLight light, int row, Velvor::Pixel* target, ShadingModel model) {
    const FloatTag df;
    const WordTag dw;
    const int lanes = static_cast<int>(hn::Lanes(df));
    const int width = diffuse.getWidth();
    const Velvor::Pixel* colours = diffuse.row(row);
    const Velvor::Pixel* directions = normals.row(row);
    const Velvor::Pixel* shine = specular != nullptr ? specular->row(row) : nullptr;
    const FloatVector lightX = hn::Set(df, light.x);
    const FloatVector towardsY = hn::Set(df, light.y - static_cast<float>(row));
    const FloatVector height = hn::Set(df, light.height);
    const FloatVector ambient = hn::Set(df, model.ambient);
    const FloatVector diffusePart = hn::Set(df, (1.0f - model.ambient) * light.strength);
    const FloatVector one = hn::Set(df, 1.0f);
    HWY_ALIGN float lits[litBlock];
    HWY_ALIGN float powers[litBlock]; // max(0, N.H), then its power
    int k = 0;
    while (width - k >= lanes) {
        const int n = std::min(litBlock, (width - k) / lanes * lanes);
        for (int i = 0; i < n; i += lanes) {
            const WordVector pixels = hn::LoadU(dw, directions + k + i);
            const Vectors normal = normalised({decoded<16>(pixels), decoded<8>(pixels), decoded<0>(pixels)});
            const FloatVector columns = hn::Iota(df, static_cast<float>(k + i));
            const Vectors toLight = normalised({hn::Sub(lightX, columns), towardsY, height});
            hn::Store(hn::Add(ambient, hn::Mul(diffusePart, positivePart(dot(normal, toLight)))), df,
                      lits + i);
            if (shine != nullptr) {
                const Vectors half = normalised({toLight.x, toLight.y, hn::Add(toLight.z, one)});
                hn::Store(positivePart(dot(normal, half)), df, powers + i);
            }
        }
        if (shine != nullptr) {
            for (int i = 0; i < n; ++i) {
                powers[i] = std::pow(powers[i], model.shininess);
            }
        }
        for (int i = 0; i < n; i += lanes) {
            FloatVector highlight = hn::Zero(df);
            if (shine != nullptr) {
                const WordVector s = hn::LoadU(dw, shine + k + i);
                const IntVector sum = hn::Add(hn::Add(byteAt<16>(s), byteAt<8>(s)), byteAt<0>(s));
                const FloatVector strength = hn::Div(hn::ConvertTo(df, sum), hn::Set(df, 3.0f * 255.0f));
                highlight = hn::Mul(hn::Mul(hn::Set(df, 255.0f * light.strength), strength),
                                    hn::Load(df, powers + i));
            }
            const WordVector c = hn::LoadU(dw, colours + k + i);
            const FloatVector lit = hn::Load(df, lits + i);
            const WordVector shaded =
                hn::Or(hn::Or(shadedChannel<16>(c, lit, highlight), shadedChannel<8>(c, lit, highlight)),
                       hn::Or(shadedChannel<0>(c, lit, highlight), hn::Set(dw, 0xFF000000u)));
            hn::StoreU(shaded, dw, target + k + i);
        }
        k += n;
    }
    litSteps::shadeSpan(diffuse, normals, specular, light, row, target, model, k, width);
}

} // namespace HWY_NAMESPACE
} // namespace litVectors
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace litVectors {

HWY_EXPORT(shadeRowVector);

void shadeRow(const Velvor::Image& diffuse, const Velvor::Image& normals, const Velvor::Image* specular,
              PreviewLight light, int row, Velvor::Pixel* target, ShadingModel model) {
    HWY_DYNAMIC_DISPATCH(shadeRowVector)(diffuse, normals, specular, light, row, target, model);
}

} // namespace litVectors

void shadeLitRowFast(const Velvor::Image& diffuse, const Velvor::Image& normals,
                     const Velvor::Image* specular, PreviewLight light, int row, Velvor::Pixel* target,
                     ShadingModel model) {
    litVectors::shadeRow(diffuse, normals, specular, light, row, target, model);
}
#endif
