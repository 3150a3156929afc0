#pragma once

#include "core/operators/Operator.h"

namespace Velvor {

// Combines input A (port 0) and input B (port 1) pixel by pixel in one of four ways.
class Mixer : public Operator {
public:
    enum BlendType : std::int16_t { Add = 0, Multiply = 1, Hue = 2, Saturation = 3 };

    Mixer(int width, int height);

    void generate(const Image* const* inputs) override;

    std::int16_t amountA = 256; // 256 = 1.0
    std::int16_t amountB = 256;
    std::int16_t type = Add; // any other value gives an all-zero image
};

// The parameter block, in byte order.
inline constexpr ParameterField mixerFields[] = {
    numberField<&Mixer::amountA>("amountA"),
    numberField<&Mixer::amountB>("amountB"),
    numberField<&Mixer::type>("type"),
};

} // namespace Velvor
