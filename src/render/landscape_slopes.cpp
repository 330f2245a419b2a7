#include "render/landscape_slopes.h"

#include <cstring>

#include "portability.h"
#include "render/landscape.h"

#ifdef __SSE2__
#include <immintrin.h>
#endif

namespace {

// Row y of the map with its neighbours wrapped round: padded[0] is S[y][255], padded[x + 1] is
// S[y][x], padded[257] is S[y][0]. Extra bytes after the end keep vector reads inside.
struct PaddedRow {
    alignas(32) uint8_t bytes[MAP_SIDE + 32];
};

void PadRow(const uint8_t* row, PaddedRow& padded) {
    padded.bytes[0] = row[MAP_SIDE - 1];
    std::memcpy(padded.bytes + 1, row, MAP_SIDE);
    padded.bytes[MAP_SIDE + 1] = row[0];
}

// The bytes added to the slopes: the biases less 128, modulo 256.
struct SlopeOffsets {
    uint8_t x;
    uint8_t y;
};

void RowPortable(const PaddedRow& padded, const uint8_t* up, const uint8_t* down, SlopeOffsets add,
                 uint16_t* out) {
    for (int x = 0; x < MAP_SIDE; ++x) {
        const uint8_t gx = static_cast<uint8_t>(padded.bytes[x + 2] - padded.bytes[x] + add.x);
        const uint8_t gy = static_cast<uint8_t>(down[x] - up[x] + add.y);
        out[x] = static_cast<uint16_t>(gy << 8 | gx);
    }
}

#ifdef __SSE2__
void RowSse2(const PaddedRow& padded, const uint8_t* up, const uint8_t* down, SlopeOffsets add,
             uint16_t* out) {
    const __m128i addX = _mm_set1_epi8(static_cast<char>(add.x));
    const __m128i addY = _mm_set1_epi8(static_cast<char>(add.y));
    for (int x = 0; x < MAP_SIDE; x += 16) {
        const __m128i right = _mm_loadu_si128(reinterpret_cast<const __m128i*>(padded.bytes + x + 2));
        const __m128i left = _mm_loadu_si128(reinterpret_cast<const __m128i*>(padded.bytes + x));
        const __m128i below = _mm_loadu_si128(reinterpret_cast<const __m128i*>(down + x));
        const __m128i above = _mm_loadu_si128(reinterpret_cast<const __m128i*>(up + x));
        const __m128i gx = _mm_add_epi8(_mm_sub_epi8(right, left), addX);
        const __m128i gy = _mm_add_epi8(_mm_sub_epi8(below, above), addY);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_unpacklo_epi8(gx, gy));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 8), _mm_unpackhi_epi8(gx, gy));
    }
}
#endif

#ifdef AVX2_INTRINSICS
__attribute__((target("avx2"))) void RowAvx2(const PaddedRow& padded, const uint8_t* up, const uint8_t* down,
                                             SlopeOffsets add, uint16_t* out) {
    const __m256i addX = _mm256_set1_epi8(static_cast<char>(add.x));
    const __m256i addY = _mm256_set1_epi8(static_cast<char>(add.y));
    for (int x = 0; x < MAP_SIDE; x += 32) {
        const __m256i right = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(padded.bytes + x + 2));
        const __m256i left = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(padded.bytes + x));
        const __m256i below = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(down + x));
        const __m256i above = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(up + x));
        // Quarters 0 2 1 3, so that the in-lane interleaving below gives cells in order.
        const __m256i gx =
            _mm256_permute4x64_epi64(_mm256_add_epi8(_mm256_sub_epi8(right, left), addX), 0xD8);
        const __m256i gy =
            _mm256_permute4x64_epi64(_mm256_add_epi8(_mm256_sub_epi8(below, above), addY), 0xD8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), _mm256_unpacklo_epi8(gx, gy));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x + 16), _mm256_unpackhi_epi8(gx, gy));
    }
}
#endif

}  // namespace

void ComputeLightIndices(const uint8_t* shadeMap, uint16_t* indices, int8_t biasX, int8_t biasY,
                         [[maybe_unused]] SimdLevel level) {
    const SlopeOffsets add{static_cast<uint8_t>(biasX - 128), static_cast<uint8_t>(biasY - 128)};
    PaddedRow padded{};
    for (int y = 0; y < MAP_SIDE; ++y) {
        PadRow(shadeMap + y * MAP_SIDE, padded);
        const uint8_t* up = shadeMap + ((y - 1) & (MAP_SIDE - 1)) * MAP_SIDE;
        const uint8_t* down = shadeMap + ((y + 1) & (MAP_SIDE - 1)) * MAP_SIDE;
        uint16_t* out = indices + y * MAP_SIDE;
#ifdef AVX2_INTRINSICS
        if (level == SimdLevel::Avx2) {
            RowAvx2(padded, up, down, add, out);
            continue;
        }
#endif
#ifdef __SSE2__
        if (level == SimdLevel::Sse2) {
            RowSse2(padded, up, down, add, out);
            continue;
        }
#endif
        RowPortable(padded, up, down, add, out);
    }
}
