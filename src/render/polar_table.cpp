#include "render/polar_table.h"

#include <cmath>

#include "render/framebuffer.h"

namespace {

constexpr double TWO_PI = 6.283185308;

// Row of the intermediate image for the screen offset (x, y) from the centre.
// With none of the distance flags the entry's distance is left as it is.
void PolarDistance(double x, double y, uint8_t flags, uint16_t& distance) {
    if (flags & (POLAR_DISTANCE | POLAR_TUNNEL)) {
        distance = static_cast<uint16_t>(static_cast<int>(std::sqrt(x * x + y * y)));
    } else if (flags & POLAR_RADIAL) {
        const double sx = 0.625 * x;
        const double sy = 0.625 * y;
        const int radius = static_cast<int>(std::sqrt(sx * sx + sy * sy));
        distance = static_cast<uint16_t>(255 - radius % 256);
    }
}

// Column of the intermediate image: 0 right of the centre, 64 below, 128 left, 192 above.
// The arc tangent is rounded to single precision before the division, which is what puts
// the axes on exactly 64, 128 and 192.
uint8_t PolarAngle(double x, double y) {
    const float angle = static_cast<float>(std::atan2(y, x));
    const double turns = static_cast<double>(angle) / TWO_PI * 256.0;
    return static_cast<uint8_t>(static_cast<int>(turns));
}

}  // namespace

PolarTable& BuildPolarTable(PolarTable& table, uint8_t flags) {
    table.entries = std::make_unique<PolarEntry[]>(FRAME_PIXELS);
    PolarEntry* entry = table.entries.get();
    for (int row = 0; row < FRAME_HEIGHT; ++row) {
        const double y = row - FRAME_HEIGHT / 2;
        for (int column = 0; column < FRAME_WIDTH; ++column, ++entry) {
            const double x = column - FRAME_WIDTH / 2;
            PolarDistance(x, y, flags, entry->distance);
            entry->angle = PolarAngle(x, y);
        }
    }
    return table;
}
