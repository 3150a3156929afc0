#pragma once

#include "core/operators/Operator.h"

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

// The parameter block, in byte order.
inline constexpr ParameterField subPlasmaFields[] = {
    numberField<&SubPlasma::grid>("grid"),
    numberField<&SubPlasma::seed>("seed"),
    numberField<&SubPlasma::colour>("colour"),
};

} // namespace Velvor
