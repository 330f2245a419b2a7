#pragma once
#include <cmath>
#include <cstdint>

#include "render/polar_table.h"
#include "render/show_constants.h"

// One entry of a polar table, as both builders compute it, for the screen offset (x, y) from
// the centre. All arithmetic is double precision.

// Row of the intermediate image. With none of the distance flags the distance is left as it is.
inline void PolarDistance(double x, double y, uint8_t flags, uint16_t& distance) {
    if (flags & (POLAR_DISTANCE | POLAR_TUNNEL)) {
        distance = static_cast<uint16_t>(static_cast<int>(std::sqrt(x * x + y * y)));
    } else if (flags & POLAR_RADIAL) {
        const double sx = 0.625 * x;
        const double sy = 0.625 * y;
        const int radius = static_cast<int>(std::sqrt(sx * sx + sy * sy));
        distance = static_cast<uint16_t>(255 - radius % 256);
    }
}

// The angle in 256ths of the show's turn, before truncation: the arc tangent rounded to single
// precision (which is what puts the axes on exactly 64, 128 and 192), over 2pi, times 256.
inline double PolarTurns(double x, double y) {
    const float angle = static_cast<float>(std::atan2(y, x));
    return static_cast<double>(angle) / TWO_PI * 256.0;
}

// Column of the intermediate image: 0 right of the centre, 64 below, 128 left, 192 above.
inline uint8_t PolarAngle(double turns) {
    return static_cast<uint8_t>(static_cast<int>(turns));
}
