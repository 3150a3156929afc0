#pragma once

#include "core/operators/Operator.h"

namespace Velvor {

// Black and white squares of (width div blocks) pixels.
class Checkboard : public Operator {
public:
    Checkboard(int width, int height);

    void generate(const Image* const* inputs) override;

    // Squares along one row; below 1 counts as 1. When a row has fewer pixels than blocks, squares
    // are one pixel wide.
    std::int16_t blocks = 4;
};

// The parameter block, in byte order.
inline constexpr ParameterField checkboardFields[] = {
    numberField<&Checkboard::blocks>("blocks"),
};

} // namespace Velvor
