#include "render/landscape_remap.h"

#include "render/framebuffer.h"
#include "render/landscape_tables.h"
#include "render/worker_pool.h"

#ifdef __SSE2__
#include <immintrin.h>
#endif

namespace {

constexpr int TILE_PIXELS = REMAP_TILE * REMAP_TILE;
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

void RemapBandPortable(const uint32_t* index, const uint32_t* intermediate, uint32_t* frame, int band) {
    ForEachPixelOfBand(band, [&](int i) { frame[i] = intermediate[*index++]; });
}

#ifdef __SSE2__
// Sixteen pixels of a tile row in two gathers of eight.
__attribute__((target("avx2"))) void RemapBandAvx2(const uint32_t* index, const uint32_t* intermediate,
                                                   uint32_t* frame, int band) {
    const int y0 = band * REMAP_TILE;
    for (int x0 = 0; x0 < FRAME_WIDTH; x0 += REMAP_TILE) {
        for (int y = y0; y < y0 + REMAP_TILE; ++y, index += REMAP_TILE) {
            uint32_t* out = frame + y * FRAME_WIDTH + x0;
            for (int half = 0; half < REMAP_TILE; half += 8) {
                const __m256i at = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(index + half));
                const __m256i pixels =
                    _mm256_i32gather_epi32(reinterpret_cast<const int*>(intermediate), at, sizeof(uint32_t));
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + half), pixels);
            }
        }
    }
}
#endif

}  // namespace

void BuildTiledRemap(TiledRemap& remap, const PolarTable& table, WorkerPool* pool) {
    remap.indices = std::make_unique_for_overwrite<uint32_t[]>(FRAME_PIXELS);
    RunTasks(pool, BANDS, [&](int band) {
        uint32_t* out = remap.indices.get() + band * BAND_PIXELS;
        ForEachPixelOfBand(
            band, [&](int i) { *out++ = table.entries[i].distance * 256u + table.entries[i].angle; });
    });
}

void ApplyTiledRemap(const TiledRemap& remap, const uint32_t* intermediate, uint32_t* frame,
                     const DrawHardware& hardware) {
    RunTasks(hardware.pool, BANDS, [&](int band) {
        const uint32_t* index = remap.indices.get() + band * BAND_PIXELS;
#ifdef __SSE2__
        if (hardware.simd == SimdLevel::Avx2) {
            RemapBandAvx2(index, intermediate, frame, band);
            return;
        }
#endif
        RemapBandPortable(index, intermediate, frame, band);
    });
}

void RemapIntermediate(const Landscape& l, ViewKind kind) {
    const TiledRemap& remap = kind == ViewKind::Tunnel ? l.tables->tunnelRemap : l.tables->radialRemap;
    ApplyTiledRemap(remap, l.intermediate.get(), frameBuffer, l.hardware);
}
