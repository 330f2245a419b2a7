#include "render/landscape_strips.h"

#include <algorithm>
#include <cassert>

#include "portability.h"

#ifdef __SSE2__
#include <immintrin.h>
#endif

namespace {

constexpr int LINE_PIXELS = 16;  // 64-byte cache line

int StripStride(int rows) {
    int stride = (STRIP_SLACK + rows + LINE_PIXELS - 1) / LINE_PIXELS * LINE_PIXELS;
    if ((stride / LINE_PIXELS) % 2 == 0) {
        stride += LINE_PIXELS;
    }
    return stride;
}

constexpr int BLOCK = 8;

}  // namespace

void ArrangeStrips(StripBand& band, int rows) {
    assert(rows >= 0 && rows <= MAX_STRIP_ROWS && StripStride(rows) <= MAX_STRIP_STRIDE);
    band.stride = StripStride(rows);
    band.rows = rows;
}

void FinishStrip(uint32_t* strip, int top, uint32_t fill) {
    std::fill(strip, strip + top + 1, fill);
}

namespace {

// A block of BLOCK strips by BLOCK rows, one pixel at a time.
void TransposeBlockPortable(const uint32_t* in, int stride, uint32_t* out, int columns, int rows) {
    for (int y = 0; y < rows; ++y) {
        for (int c = 0; c < BLOCK; ++c) {
            out[static_cast<size_t>(y) * columns + c] = in[c * stride + y];
        }
    }
}

#ifdef __SSE2__
// Four strips from row y into four target rows.
void TransposeFourByFour(const uint32_t* in, int stride, uint32_t* out, int columns) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + stride));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * stride));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * stride));
    const __m128i ab0 = _mm_unpacklo_epi32(a, b);  // a0 b0 a1 b1
    const __m128i ab1 = _mm_unpackhi_epi32(a, b);  // a2 b2 a3 b3
    const __m128i cd0 = _mm_unpacklo_epi32(c, d);
    const __m128i cd1 = _mm_unpackhi_epi32(c, d);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi64(ab0, cd0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + columns), _mm_unpackhi_epi64(ab0, cd0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * columns), _mm_unpacklo_epi64(ab1, cd1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * columns), _mm_unpackhi_epi64(ab1, cd1));
}

void TransposeBlockSse2(const uint32_t* in, int stride, uint32_t* out, int columns) {
    for (int y = 0; y < BLOCK; y += 4) {
        for (int c = 0; c < BLOCK; c += 4) {
            TransposeFourByFour(in + c * stride + y, stride, out + static_cast<size_t>(y) * columns + c,
                                columns);
        }
    }
}
#endif

#ifdef AVX2_INTRINSICS
// Eight strips from row y into eight target rows.
__attribute__((target("avx2"))) void TransposeBlockAvx2(const uint32_t* in, int stride, uint32_t* out,
                                                        int columns) {
    __m256i r[BLOCK];
    for (int s = 0; s < BLOCK; ++s) {
        r[s] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + s * stride));
    }
    __m256i pairs[BLOCK];  // strips 2k and 2k + 1 interleaved, rows 0 1 | 4 5 and 2 3 | 6 7
    for (int k = 0; k < BLOCK / 2; ++k) {
        pairs[2 * k] = _mm256_unpacklo_epi32(r[2 * k], r[2 * k + 1]);
        pairs[2 * k + 1] = _mm256_unpackhi_epi32(r[2 * k], r[2 * k + 1]);
    }
    __m256i quads[BLOCK];  // strips 4k to 4k + 3 of rows j | j + 4, j = 0 to 3
    for (int k = 0; k < 2; ++k) {
        const __m256i* p = pairs + 4 * k;
        quads[4 * k + 0] = _mm256_unpacklo_epi64(p[0], p[2]);
        quads[4 * k + 1] = _mm256_unpackhi_epi64(p[0], p[2]);
        quads[4 * k + 2] = _mm256_unpacklo_epi64(p[1], p[3]);
        quads[4 * k + 3] = _mm256_unpackhi_epi64(p[1], p[3]);
    }
    for (int j = 0; j < 4; ++j) {
        __m256i* low = reinterpret_cast<__m256i*>(out + static_cast<size_t>(j) * columns);
        __m256i* high = reinterpret_cast<__m256i*>(out + static_cast<size_t>(j + 4) * columns);
        _mm256_storeu_si256(low, _mm256_permute2x128_si256(quads[j], quads[4 + j], 0x20));
        _mm256_storeu_si256(high, _mm256_permute2x128_si256(quads[j], quads[4 + j], 0x31));
    }
}
#endif

// A whole block of BLOCK strips by BLOCK rows.
void TransposeBlock(const uint32_t* in, int stride, uint32_t* out, int columns,
                    [[maybe_unused]] SimdLevel level) {
#ifdef AVX2_INTRINSICS
    if (level == SimdLevel::Avx2) {
        TransposeBlockAvx2(in, stride, out, columns);
        return;
    }
#endif
#ifdef __SSE2__
    if (level == SimdLevel::Sse2) {
        TransposeBlockSse2(in, stride, out, columns);
        return;
    }
#endif
    TransposeBlockPortable(in, stride, out, columns, BLOCK);
}

}  // namespace

void TransposeStrips(const StripBand& band, uint32_t* target, int columns, SimdLevel level) {
    static_assert(STRIP_BAND_COLUMNS % BLOCK == 0);
    for (int y = 0; y < band.rows; y += BLOCK) {
        const int rows = std::min(BLOCK, band.rows - y);
        for (int c = 0; c < STRIP_BAND_COLUMNS; c += BLOCK) {
            const uint32_t* in = Strip(band, c) + y;
            uint32_t* out = target + static_cast<size_t>(y) * columns + c;
            if (rows == BLOCK) {
                TransposeBlock(in, band.stride, out, columns, level);
            } else {
                TransposeBlockPortable(in, band.stride, out, columns, rows);
            }
        }
    }
}
