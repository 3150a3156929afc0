#include "gui/canvas/CableCurve.h"

#include <cstdint>
#include <cstdlib>

namespace {

// Truncation toward zero, held to the 32-bit range so that far-off ends cannot overflow.
std::int32_t truncated(double value) {
    if (value <= -2147483648.0) {
        return INT32_MIN;
    }
    if (value >= 2147483647.0) {
        return INT32_MAX;
    }
    return static_cast<std::int32_t>(value);
}

} // namespace

CableCurve cableCurve(Point start, Point end) {
    const std::int64_t x0 = start.x;
    const std::int64_t y0 = start.y;
    const std::int64_t x2 = end.x;
    const std::int64_t y2 = end.y;
    const std::int64_t x1 = (x0 + x2) / 2;
    const double nearness = 50.0 / (1.0 + 0.001 * static_cast<double>(std::llabs(y2 - y0))) /
                            (1.0 + 0.001 * static_cast<double>(std::llabs(x2 - x0)));
    const std::int64_t y1 = truncated(static_cast<double>(y0 + y2) / 2.0 + 20.0 + nearness);

    constexpr float tension = -0.4f;
    constexpr float continuity = 0.1f;
    constexpr float bias = 0.0f;
    constexpr float a = (1 - tension) * 0.5f * (1 + continuity) * (1 + bias);
    constexpr float b = (1 - tension) * 0.5f * (1 - continuity) * (1 - bias);

    constexpr float times[3] = {0.0f, 0.5f, 1.0f};
    const float xs[3] = {static_cast<float>(x0), static_cast<float>(x1), static_cast<float>(x2)};
    const float ys[3] = {static_cast<float>(y0), static_cast<float>(y1), static_cast<float>(y2)};
    const auto tangents = [&](const float(&v)[3]) {
        const float in = a * (v[1] - v[0]);
        const float out = b * (v[2] - v[1]);
        return std::array<float, 3>{in, in + out, out};
    };
    const std::array<float, 3> tx = tangents(xs);
    const std::array<float, 3> ty = tangents(ys);

    CableCurve curve{};
    constexpr float step = 1.0f / 98.0f;
    float t = 0.0f;
    for (Point& point : curve) {
        const int k = t <= times[1] ? 1 : 2;
        const float s = (t - times[k - 1]) / (times[k] - times[k - 1]);
        const float h00 = 2 * s * s * s - 3 * s * s + 1;
        const float h10 = s * s * s - 2 * s * s + s;
        const float h11 = s * s * s - s * s;
        const float x = h00 * xs[k - 1] + (1 - h00) * xs[k] + h10 * tx[k - 1] + h11 * tx[k];
        const float y = h00 * ys[k - 1] + (1 - h00) * ys[k] + h10 * ty[k - 1] + h11 * ty[k];
        point = Point{truncated(x), truncated(y)};
        t += step;
    }
    return curve;
}
