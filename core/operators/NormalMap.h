#pragma once

#include "core/operators/Operator.h"

namespace Velvor {

// Turns the brightness of its input (port 0) into a tangent-space normal map.
class NormalMap : public Operator {
public:
    NormalMap(int width, int height);

    void generate(const Image* const* inputs) override;

    std::int16_t amount = 256; // bump strength, 256 = 1.0
};

// The parameter block, in byte order.
inline constexpr ParameterField normalMapFields[] = {
    numberField<&NormalMap::amount>("amount"),
};

} // namespace Velvor
