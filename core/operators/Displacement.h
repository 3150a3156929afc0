#pragma once

#include "core/operators/Operator.h"

namespace Velvor {

// Resamples the source (port 0) at positions shifted by channels of the modulator (port 1).
class Displacement : public Operator {
public:
    enum Channel : std::int16_t { Red = 0, Green = 1, Blue = 2, Hue = 3, Saturation = 4, Brightness = 5 };

    Displacement(int width, int height);

    void generate(const Image* const* inputs) override;

    std::int16_t amountX = 16; // largest horizontal shift in pixels
    std::int16_t amountY = 16;
    std::int16_t amountXSource = Red; // modulator channel; other values shift by nothing
    std::int16_t amountYSource = Red;
};

// The parameter block, in byte order.
inline constexpr ParameterField displacementFields[] = {
    numberField<&Displacement::amountX>("amountX"),
    numberField<&Displacement::amountY>("amountY"),
    numberField<&Displacement::amountXSource>("amountXSource"),
    numberField<&Displacement::amountYSource>("amountYSource"),
};

} // namespace Velvor
