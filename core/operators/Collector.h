#pragma once

#include "core/operators/Operator.h"

namespace Velvor {

// An output of the material: copies its single input, adopting the input's size.
class Collector : public Operator {
public:
    Collector(int width, int height);

    void generate(const Image* const* inputs) override;

    // Texture slot this collector fills; not used when generating.
    std::int16_t index = 0;
};

// The parameter block, in byte order.
inline constexpr ParameterField collectorFields[] = {
    numberField<&Collector::index>("index"),
};

} // namespace Velvor
