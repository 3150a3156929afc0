#pragma once

#include <cstdint>

// A canvas position or, with x = width and y = height, a size.
struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;

    friend bool operator==(const Point&, const Point&) = default;
};
