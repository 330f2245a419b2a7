#pragma once
#include <array>
#include <cstdint>

#include "render/landscape.h"
#include "render/landscape_remap.h"
#include "render/landscape_views.h"

// Tables the fast landscape renderer reads instead of recomputing what does not change
// within a frame (or at all). They hold exactly the values the view functions compute.

constexpr int LANDSCAPE_DEPTHS = 255;  // samples per column, d = 0 to 254
constexpr int LIGHT_INDEX_COPIES = 2;

struct LandscapeTables {
    // Built once by the Landscape constructor.
    std::array<RadialOffset, 256 * 256> radialOffsets;     // RadialCellOffset, index d * 256 + column
    std::array<uint64_t, LANDSCAPE_DEPTHS> reciprocals;    // ceil(2^32 / (d + 1))
    std::array<float, LANDSCAPE_DEPTHS> depthReciprocals;  // 1 / (d + 1) rounded up to single precision
    std::array<float, LANDSCAPE_DEPTHS> radialSines;       // sin(d x pi / 512), single precision
    TiledRemap tunnelRemap;                                // tunnelTable, tile by tile
    TiledRemap radialRemap;                                // radialTable, tile by tile

    // Rewritten by every frame that sways.
    std::array<float, LANDSCAPE_DEPTHS> swayOffsets;  // swayAmount x sin(swayRate x swayClock + d / 255 x pi)

    // Rewritten by every frame that draws with the slope light: LightIndexOfCell with the frame's
    // biases, in one copy for each end of the march's bands (see LightIndicesOfTask).
    std::array<std::array<uint16_t, MAP_CELLS>, LIGHT_INDEX_COPIES> lightIndices;
};

// Builds the constant tables, on the pool's threads; the polar tables must be built already.
void BuildLandscapeTables(LandscapeTables& tables, const PolarTable& tunnel, const PolarTable& radial,
                          WorkerPool* pool);

// n / (d + 1) for every n below 2^16, through the reciprocal table.
inline uint32_t DivideByDepth(const LandscapeTables& tables, uint32_t n, int d) {
    return static_cast<uint32_t>((n * tables.reciprocals[d]) >> 32);
}

// n / (d + 1) for every n below 2^14 in single precision, as the vector lanes compute it: the
// truncated product of n and the reciprocal rounded up. The product is never below the quotient,
// so a whole quotient stays whole, and the two roundings (of the reciprocal and of the product)
// put it less than 2^-8 above the quotient, where a quotient that is not whole lies at least
// 1 / 255 below the next whole number.
inline uint32_t DivideByDepthInSingle(const LandscapeTables& tables, uint32_t n, int d) {
    return static_cast<uint32_t>(static_cast<float>(n) * tables.depthReciprocals[d]);
}
