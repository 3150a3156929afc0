#pragma once

#include "core/Operator.h"

namespace Velvor {

// Seeded value noise: random values on a lattice of 2^grid cells per row, smoothed by cubic
// interpolation (horizontally, then vertically) and tinted by `colour`.
class SubPlasma : public Operator {
public:
    SubPlasma(int width, int height);

    void resize(int width, int height) override;
    void generate(const Image* const* inputs) override;

    // The lattice spacing in pixels for the current width and grid (at least 1).
    int latticeStep() const;

    std::int16_t grid = 4;
    std::int16_t seed = 0;
    Pixel colour = 0xFFFFFFFFu;

private:
    void drawLattice(int step);
    void interpolateRows(int step);
    void interpolateColumns(int step);

    // Holds the horizontally interpolated lattice rows between the two passes.
    Image scratch_;
};

// The interpolation through y1 (t = 0) and y2 (t = 1), in single precision.
inline float cubic(float y0, float y1, float y2, float y3, float t) {
    const float p = (y3 - y2) - (y0 - y1);
    const float q = (y0 - y1) - p;
    const float r = y2 - y0;
    return p * t * t * t + q * t * t + r * t + y1;
}

// The parameter block, in byte order.
inline constexpr ParameterField subPlasmaFields[] = {
    numberField<&SubPlasma::grid>("grid"),
    numberField<&SubPlasma::seed>("seed"),
    numberField<&SubPlasma::colour>("colour"),
};

} // namespace Velvor
