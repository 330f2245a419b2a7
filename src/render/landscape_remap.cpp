#include "render/landscape_remap.h"

#include <algorithm>

#include "render/framebuffer.h"
#include "render/landscape_tables.h"
#include "render/worker_pool.h"

namespace {

constexpr int BAND_PIXELS = REMAP_TILE * FRAME_WIDTH;  // one row of tiles
constexpr int BANDS = FRAME_HEIGHT / REMAP_TILE;

static_assert(FRAME_WIDTH % REMAP_TILE == 0 && FRAME_HEIGHT % REMAP_TILE == 0);

// Calls visit(screen index) for every pixel of the row of tiles `band`, tile by tile.
template <class Visit>
void ForEachPixelOfBand(int band, Visit visit) {
    const int y0 = band * REMAP_TILE;
    for (int x0 = 0; x0 < FRAME_WIDTH; x0 += REMAP_TILE) {
        for (int y = y0; y < y0 + REMAP_TILE; ++y) {
            const int start = y * FRAME_WIDTH + x0;
            for (int i = start; i < start + REMAP_TILE; ++i) {
                visit(i);
            }
        }
    }
}

}  // namespace

void BuildTiledRemap(TiledRemap& remap, const PolarTable& table, WorkerPool* pool) {
    remap.indices = std::make_unique_for_overwrite<uint32_t[]>(FRAME_PIXELS);
    RunTasks(pool, BANDS, [&](int band) {
        uint32_t* out = remap.indices.get() + band * BAND_PIXELS;
        ForEachPixelOfBand(
            band, [&](int i) { *out++ = table.entries[i].distance * 256u + table.entries[i].angle; });
    });
    const PolarEntry* entries = table.entries.get();
    const auto farthest =
        std::max_element(entries, entries + FRAME_PIXELS,
                         [](const PolarEntry& a, const PolarEntry& b) { return a.distance < b.distance; });
    remap.rowsRead = std::min<int>(farthest->distance + 1, INTERMEDIATE_ROWS);
}

// One load per pixel is as fast as it gets: vector gathers are no faster here, so every
// vector level takes this path.
void ApplyTiledRemap(const TiledRemap& remap, const uint32_t* intermediate, uint32_t* frame,
                     WorkerPool* pool) {
    RunTasks(pool, BANDS, [&](int band) {
        const uint32_t* index = remap.indices.get() + band * BAND_PIXELS;
        ForEachPixelOfBand(band, [&](int i) { frame[i] = intermediate[*index++]; });
    });
}

namespace {

const TiledRemap& RemapOf(const Landscape& l, ViewKind kind) {
    return kind == ViewKind::Tunnel ? l.tables->tunnelRemap : l.tables->radialRemap;
}

}  // namespace

int IntermediateRowsRead(const Landscape& l, ViewKind kind) {
    return RemapOf(l, kind).rowsRead;
}

void RemapIntermediate(const Landscape& l, ViewKind kind) {
    ApplyTiledRemap(RemapOf(l, kind), l.intermediate.get(), frameBuffer, l.hardware.pool);
}
