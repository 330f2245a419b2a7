#include "render/landscape_tables.h"

#include <cmath>

#include "render/framebuffer.h"

void BuildLandscapeTables(LandscapeTables& tables, const PolarTable& tunnel, const PolarTable& radial) {
    for (int column = 0; column < 256; ++column) {
        for (int d = 0; d < 256; ++d) {
            tables.radialOffsets[column * 256 + d] = RadialCellOffset(column, static_cast<uint8_t>(d));
        }
    }
    for (int d = 0; d < LANDSCAPE_DEPTHS; ++d) {
        const uint64_t divisor = static_cast<uint64_t>(d) + 1;
        tables.reciprocals[d] = ((uint64_t{1} << 32) + divisor - 1) / divisor;
        const float angle = static_cast<float>(d) * 3.141592654f / 512.0f;
        tables.radialSines[d] = static_cast<float>(std::sin(static_cast<double>(angle)));
    }
    BuildTiledRemap(tables.tunnelRemap, tunnel);
    BuildTiledRemap(tables.radialRemap, radial);
    tables.swayOffsets.fill(0.0f);
    AllocateStrips(tables.strips, FRAME_WIDTH, FRAME_HEIGHT);
    AllocateStrips(tables.strips, INTERMEDIATE_COLUMNS, INTERMEDIATE_ROWS);
}
