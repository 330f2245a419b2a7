#include "render/landscape_tables.h"

#include <cmath>

#include "render/framebuffer.h"
#include "render/worker_pool.h"

namespace {

// 1 / divisor in single precision, rounded up: its product with the divisor, exact in double
// precision, is at least 1.
float ReciprocalRoundedUp(int divisor) {
    const float nearest = 1.0f / static_cast<float>(divisor);
    const bool below = static_cast<double>(nearest) * divisor < 1.0;
    return below ? std::nextafter(nearest, 2.0f) : nearest;
}

}  // namespace

void BuildLandscapeTables(LandscapeTables& tables, const PolarTable& tunnel, const PolarTable& radial,
                          WorkerPool* pool) {
    for (int column = 0; column < INTERMEDIATE_COLUMNS; ++column) {
        const RadialDirection direction = RadialDirectionOf(column);
        for (int d = 0; d < 256; ++d) {
            tables.radialOffsets[d * INTERMEDIATE_COLUMNS + column] =
                RadialCellOffset(direction, static_cast<uint8_t>(d));
        }
    }
    for (int d = 0; d < LANDSCAPE_DEPTHS; ++d) {
        const uint64_t divisor = static_cast<uint64_t>(d) + 1;
        tables.reciprocals[d] = ((uint64_t{1} << 32) + divisor - 1) / divisor;
        tables.depthReciprocals[d] = ReciprocalRoundedUp(static_cast<int>(divisor));
        tables.radialSines[d] = RadialRowSine(static_cast<uint8_t>(d));
    }
    BuildTiledRemap(tables.tunnelRemap, tunnel, pool);
    BuildTiledRemap(tables.radialRemap, radial, pool);
    tables.swayOffsets.fill(0.0f);
}
