#include "core/kernels/PlasmaKernels.h"

namespace Velvor {

void cubicRowPlain(const Pixel* const rows[4], const Pixel* tint, Pixel* out, int count, float t) {
    for (int j = 0; j < count; ++j) {
        const float v =
            cubic(static_cast<float>(redOf(rows[0][j])), static_cast<float>(redOf(rows[1][j])),
                  static_cast<float>(redOf(rows[2][j])), static_cast<float>(redOf(rows[3][j])), t);
        out[j] = tint[clampToByte(v)];
    }
}

} // namespace Velvor
