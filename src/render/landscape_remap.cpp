#include "render/landscape_remap.h"

#include <algorithm>

#include "portability.h"
#include "render/framebuffer.h"
#include "render/landscape_tables.h"
#include "render/worker_pool.h"

#ifdef AVX2_INTRINSICS
#include <immintrin.h>
#endif

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
    remap.indices = MakeUninitialized<uint32_t[]>(FRAME_PIXELS);
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

namespace {

// One row of a tile at a time: the 16 pixels' loads gathered into two vectors by inserts and
// stored as two 32-byte writes, where one 4-byte store per pixel is held back by the store
// ports. Vector gathers load slower than these inserts here.
#ifdef AVX2_INTRINSICS
__attribute__((target("avx2"))) __m128i LoadFour(const uint32_t* intermediate, const uint32_t* index) {
    __m128i four = _mm_cvtsi32_si128(static_cast<int>(intermediate[index[0]]));
    four = _mm_insert_epi32(four, static_cast<int>(intermediate[index[1]]), 1);
    four = _mm_insert_epi32(four, static_cast<int>(intermediate[index[2]]), 2);
    return _mm_insert_epi32(four, static_cast<int>(intermediate[index[3]]), 3);
}

__attribute__((target("avx2"))) void RemapBandAvx2(const uint32_t* index, const uint32_t* intermediate,
                                                   uint32_t* frame, int band) {
    const int y0 = band * REMAP_TILE;
    for (int x0 = 0; x0 < FRAME_WIDTH; x0 += REMAP_TILE) {
        for (int y = y0; y < y0 + REMAP_TILE; ++y) {
            uint32_t* out = frame + y * FRAME_WIDTH + x0;
            for (int i = 0; i < REMAP_TILE; i += 8, index += 8) {
                const __m256i eight =
                    _mm256_inserti128_si256(_mm256_castsi128_si256(LoadFour(intermediate, index)),
                                            LoadFour(intermediate, index + 4), 1);
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), eight);
            }
        }
    }
}
#endif

void RemapBand(const uint32_t* index, const uint32_t* intermediate, uint32_t* frame, int band,
               SimdLevel level) {
#ifdef AVX2_INTRINSICS
    if (level == SimdLevel::Avx2) {
        RemapBandAvx2(index, intermediate, frame, band);
        return;
    }
#else
    (void)level;
#endif
    ForEachPixelOfBand(band, [&](int i) { frame[i] = intermediate[*index++]; });
}

static_assert(REMAP_TILE % 8 == 0);

}  // namespace

void ApplyTiledRemap(const TiledRemap& remap, const uint32_t* intermediate, uint32_t* frame, WorkerPool* pool,
                     SimdLevel level) {
    RunTasks(pool, BANDS, [&](int band) {
        RemapBand(remap.indices.get() + band * BAND_PIXELS, intermediate, frame, band, level);
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
    ApplyTiledRemap(RemapOf(l, kind), l.intermediate.get(), frameBuffer, l.hardware.pool, l.hardware.simd);
}
