#include "render/polar_table.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "portability.h"
#include "render/framebuffer.h"
#include "render/polar_geometry.h"
#include "render/worker_pool.h"

namespace {

constexpr int BAND_ROWS = 16;

// atan(t) for |t| <= tan(pi / 8) by its series to the t^15 term: the first term left out,
// t^17 / 17, is below 2e-8.
double SeriesArcTangent(double t) {
    const double t2 = t * t;
    double sum = 1.0 / 15.0;
    for (int n = 13; n >= 1; n -= 2) {
        sum = 1.0 / n - t2 * sum;
    }
    return t * sum;
}

// atan2(y, x) within 3e-8 radians, from the series on the octant's ratio.
double ApproximateArcTangent(double x, double y) {
    const double ax = std::abs(x);
    const double ay = std::abs(y);
    const double big = std::max(ax, ay);
    if (big == 0.0) {
        return 0.0;
    }
    double t = std::min(ax, ay) / big;  // 0 to 1
    double angle = 0.0;
    if (t > 0.41421356237309503) {  // tan(pi / 8): atan(t) = pi / 4 + atan((t - 1) / (t + 1))
        angle = std::numbers::pi / 4.0;
        t = (t - 1.0) / (t + 1.0);
    }
    angle += SeriesArcTangent(t);
    if (ay > ax) {
        angle = std::numbers::pi / 2.0 - angle;
    }
    if (x < 0.0) {
        angle = std::numbers::pi - angle;
    }
    return y < 0.0 ? -angle : angle;
}

// The approximation is off by at most 1e-6 of a 256th of the show's turn, the rounding of the
// arc tangent to single precision by at most 8e-6; an approximate value this far from a whole
// number truncates exactly as the exact one.
constexpr double SAFE_DISTANCE = 1e-4;

// PolarAngle(PolarTurns(x, y)) with the arc tangent taken only near a change of column.
uint8_t FastPolarAngle(double x, double y) {
    const double turns = ApproximateArcTangent(x, y) / TWO_PI * 256.0;
    if (std::abs(turns - std::round(turns)) < SAFE_DISTANCE) {
        return PolarAngle(PolarTurns(x, y));
    }
    return PolarAngle(turns);
}

void BuildRows(PolarEntry* entries, uint8_t flags, int first, int end) {
    for (int row = first; row < end; ++row) {
        const double y = row - FRAME_HEIGHT / 2;
        PolarEntry* entry = entries + row * FRAME_WIDTH;
        for (int column = 0; column < FRAME_WIDTH; ++column, ++entry) {
            const double x = column - FRAME_WIDTH / 2;
            *entry = PolarEntry{};
            PolarDistance(x, y, flags, entry->distance);
            entry->angle = FastPolarAngle(x, y);
        }
    }
}

}  // namespace

PolarTable& BuildPolarTable(PolarTable& table, uint8_t flags, WorkerPool* pool) {
    table.entries = MakeUninitialized<PolarEntry[]>(FRAME_PIXELS);  // each entry set below
    RunBands(pool, FRAME_HEIGHT, BAND_ROWS,
             [&](int first, int end) { BuildRows(table.entries.get(), flags, first, end); });
    return table;
}
