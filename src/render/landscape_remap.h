#pragma once
#include <cstdint>
#include <memory>

#include "render/landscape.h"
#include "render/landscape_views.h"
#include "render/polar_table.h"
#include "render/simd_level.h"
#include "render/worker_pool.h"

// A polar table rewritten for speed: per screen pixel the index distance x 256 + angle into
// the intermediate, stored in the order of 16 x 16 screen tiles. Walking the screen tile by
// tile keeps the lookups of neighbouring pixels within a few cache lines of the intermediate
// and reads the indices in one sequential stream.

constexpr int REMAP_TILE = 16;

struct TiledRemap {
    std::unique_ptr<uint32_t[]> indices;  // 640 x 480, tile after tile, rows within a tile
    int rowsRead = 0;                     // rows of the intermediate it reads: the largest distance + 1
};

void BuildTiledRemap(TiledRemap& remap, const PolarTable& table, WorkerPool* pool);

// frame[i] = intermediate[distance x 256 + angle] of entry i, for every screen pixel, in rows
// of tiles spread over the pool's threads, with the vector instructions of `level`.
void ApplyTiledRemap(const TiledRemap& remap, const uint32_t* intermediate, uint32_t* frame, WorkerPool* pool,
                     SimdLevel level);

// The rows of the intermediate that the remap of a polar view reads. The rows below them are
// never shown, so the fast march neither draws nor fills them.
int IntermediateRowsRead(const Landscape& landscape, ViewKind kind);

// Copies the landscape's intermediate to the framebuffer through the tiled form of the view's
// polar table (tunnel or radial), the table SetUpView has made the active one.
void RemapIntermediate(const Landscape& landscape, ViewKind kind);
