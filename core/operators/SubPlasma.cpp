#include "core/operators/SubPlasma.h"

#include "core/RandomGenerator.h"
#include "core/kernels/PlasmaKernels.h"
#include "core/parallel/ImageBands.h"
#include "core/parallel/Parallel.h"

#include <algorithm>
#include <cmath>

namespace Velvor {

namespace {

void setRed(Pixel& pixel, int red) {
    pixel = (pixel & ~0x00FF0000u) | (static_cast<Pixel>(red) << 16);
}

// Brings a row or column index that lies up to a few steps outside the image back into it.
int wrapIndex(int index, int size) {
    return ((index % size) + size) % size;
}

} // namespace

SubPlasma::SubPlasma(int width, int height)
    : Operator(OperatorType::Subplasma, 0, width, height, subPlasmaFields), scratch_(width, height) {}

void SubPlasma::resize(int width, int height) {
    Image fresh(width, height);
    Operator::resize(width, height);
    scratch_ = std::move(fresh);
}

int SubPlasma::latticeStep() const {
    // ldexp keeps any grid value (up to 32767) free of shift overflow; huge grids give step 0 -> 1.
    const double cells = grid <= 0 ? 1.0 : std::ldexp(1.0, grid);
    const double step = std::trunc(static_cast<double>(image_.getWidth()) / cells);
    return step <= 0.0 ? 1 : static_cast<int>(step);
}

void SubPlasma::generate(const Image* const* /*inputs*/) {
    const int width = image_.getWidth();
    const int height = image_.getHeight();
    if (width == 0 || height == 0) {
        return;
    }
    const int step = latticeStep();
    // Sizes that are not multiples of the step wrap onto pixels between lattice points; clearing
    // first makes those read as zero instead of as leftovers of an earlier run.
    if (width % step != 0 || height % step != 0) {
        fillInBands(image_, 0);
        fillInBands(scratch_, 0);
    }
    drawLattice(step);
    interpolateRows(step);
    interpolateColumns(step);
}

void SubPlasma::drawLattice(int step) {
    const int width = image_.getWidth();
    const int latticeRows = (image_.getHeight() + step - 1) / step;
    // One generator draws the points in row order, so one thread; in bands only so that a render
    // being cancelled stops soon (a step of 1 draws every pixel).
    RandomGenerator random(seed);
    forEachBandInTurn(latticeRows, rowsPerBand((width + step - 1) / step), [&](int begin, int end) {
        for (int r = begin * step; r < end * step; r += step) {
            Pixel* row = image_.row(r);
            for (int c = 0; c < width; c += step) {
                setRed(row[c], random.draw() & 0xFF);
            }
        }
    });
}

void SubPlasma::interpolateRows(int step) {
    const int width = image_.getWidth();
    const int latticeRows = (image_.getHeight() + step - 1) / step;
    forEachBand(latticeRows, rowsPerBand(width), [&](int begin, int end) {
        for (int r = begin * step; r < end * step; r += step) {
            const Pixel* lattice = image_.row(r);
            Pixel* out = scratch_.row(r);
            for (int e = 0; e < width; e += step) {
                const auto y0 = static_cast<float>(redOf(lattice[wrapIndex(e - step, width)]));
                const auto y1 = static_cast<float>(redOf(lattice[e]));
                const auto y2 = static_cast<float>(redOf(lattice[(e + step) % width]));
                const auto y3 = static_cast<float>(redOf(lattice[(e + 2 * step) % width]));
                setRed(out[e], static_cast<int>(redOf(lattice[e])));
                const int segmentEnd = std::min(e + step, width);
                for (int i = e + 1; i < segmentEnd; ++i) {
                    const float t = static_cast<float>(i - e) / static_cast<float>(step);
                    setRed(out[i], clampToByte(cubic(y0, y1, y2, y3, t)));
                }
            }
        }
    });
}

void SubPlasma::interpolateColumns(int step) {
    const int width = image_.getWidth();
    const int height = image_.getHeight();

    // The tint depends only on the interpolated value, so it is tabulated once per run.
    Pixel tint[256];
    for (unsigned v = 0; v < 256; ++v) {
        tint[v] = makePixel(alphaOf(colour) * v / 255, redOf(colour) * v / 255, greenOf(colour) * v / 255,
                            blueOf(colour) * v / 255);
    }

    forEachBand(height, rowsPerBand(width), [&](int begin, int end) {
        for (int i = begin; i < end; ++i) {
            const int f = i - i % step;
            const Pixel* const rows[4] = {scratch_.row(wrapIndex(f - step, height)), scratch_.row(f),
                                          scratch_.row((f + step) % height),
                                          scratch_.row((f + 2 * step) % height)};
            Pixel* out = image_.row(i);
            if (i == f) {
                for (int j = 0; j < width; ++j) {
                    out[j] = tint[redOf(rows[1][j])];
                }
                continue;
            }
            // Rows after a lattice row use (i - f - 1) / (step - 1): the first one repeats the
            // lattice row and the curve never quite reaches the next lattice row.
            const float t = static_cast<float>(i - f - 1) / static_cast<float>(step - 1);
            cubicRowFast(rows, tint, out, width, t);
        }
    });
}

} // namespace Velvor
