#pragma once

#include "core/Operator.h"

namespace Velvor {

// Turns the brightness of its input (port 0) into a tangent-space normal map.
class NormalMap : public Operator {
public:
    NormalMap(int width, int height);

    void generate(const Image* const* inputs) override;
    const std::uint8_t*& readParameters(const std::uint8_t*& cursor) override;
    void writeParameters(std::vector<std::uint8_t>& out) const override;

    std::int16_t amount = 256; // bump strength, 256 = 1.0
};

} // namespace Velvor
