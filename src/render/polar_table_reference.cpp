#include "render/polar_table_reference.h"

#include "render/framebuffer.h"
#include "render/polar_geometry.h"

PolarTable& BuildPolarTableReference(PolarTable& table, uint8_t flags) {
    table.entries = std::make_unique<PolarEntry[]>(FRAME_PIXELS);
    PolarEntry* entry = table.entries.get();
    for (int row = 0; row < FRAME_HEIGHT; ++row) {
        const double y = row - FRAME_HEIGHT / 2;
        for (int column = 0; column < FRAME_WIDTH; ++column, ++entry) {
            const double x = column - FRAME_WIDTH / 2;
            PolarDistance(x, y, flags, entry->distance);
            entry->angle = PolarAngle(PolarTurns(x, y));
        }
    }
    return table;
}
