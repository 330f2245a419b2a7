#include "render/landscape_remap.h"

#include "render/framebuffer.h"
#include "render/landscape_tables.h"

namespace {

// Calls visit(screen index) for every pixel, tile by tile.
template <class Visit>
void ForEachPixelByTiles(Visit visit) {
    for (int y0 = 0; y0 < FRAME_HEIGHT; y0 += REMAP_TILE) {
        for (int x0 = 0; x0 < FRAME_WIDTH; x0 += REMAP_TILE) {
            for (int y = y0; y < y0 + REMAP_TILE; ++y) {
                const int start = y * FRAME_WIDTH + x0;
                for (int i = start; i < start + REMAP_TILE; ++i) {
                    visit(i);
                }
            }
        }
    }
}

static_assert(FRAME_WIDTH % REMAP_TILE == 0 && FRAME_HEIGHT % REMAP_TILE == 0);

}  // namespace

void BuildTiledRemap(TiledRemap& remap, const PolarTable& table) {
    remap.indices = std::make_unique<uint32_t[]>(FRAME_PIXELS);
    uint32_t* out = remap.indices.get();
    ForEachPixelByTiles([&](int i) { *out++ = table.entries[i].distance * 256u + table.entries[i].angle; });
}

void ApplyTiledRemap(const TiledRemap& remap, const uint32_t* intermediate, uint32_t* frame) {
    const uint32_t* index = remap.indices.get();
    ForEachPixelByTiles([&](int i) { frame[i] = intermediate[*index++]; });
}

void RemapIntermediate(const Landscape& l, ViewKind kind) {
    const TiledRemap& remap = kind == ViewKind::Tunnel ? l.tables->tunnelRemap : l.tables->radialRemap;
    ApplyTiledRemap(remap, l.intermediate.get(), frameBuffer);
}
