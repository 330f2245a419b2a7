#pragma once
#include <cstdint>
#include <memory>

// Per screen pixel: the row (distance) and column (angle) of a 256-column intermediate
// image, so that the image's rows become rings and its columns sectors around the centre.
struct PolarEntry {
    uint16_t distance;
    uint8_t angle;
    uint8_t spare;
};

constexpr uint8_t POLAR_DISTANCE = 1;  // plain distance from the centre (same as POLAR_TUNNEL)
constexpr uint8_t POLAR_TUNNEL = 2;    // plain distance from the centre
constexpr uint8_t POLAR_RADIAL = 4;    // 255 at the centre, shrinking outward

struct PolarTable {
    std::unique_ptr<PolarEntry[]> entries;  // 640 x 480, in screen order
};

struct WorkerPool;

// Allocates and fills the table's entries, in bands of rows spread over the pool's threads
// (none: the calling thread alone); returns the table. The arc tangent of an entry is taken
// only where a cheaper one cannot tell its column for certain.
PolarTable& BuildPolarTable(PolarTable& table, uint8_t flags, WorkerPool* pool = nullptr);
