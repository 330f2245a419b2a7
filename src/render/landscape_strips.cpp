#include "render/landscape_strips.h"

#include <algorithm>
#include <cassert>

#ifdef __SSE2__
#include <emmintrin.h>
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

void AllocateStrips(ColumnStrips& strips, int columns, int rows) {
    const size_t needed = static_cast<size_t>(columns) * StripStride(rows);
    if (needed > strips.capacity) {
        strips.pixels = std::make_unique<uint32_t[]>(needed);
        strips.capacity = needed;
    }
}

void ArrangeStrips(ColumnStrips& strips, int columns, int rows) {
    assert(static_cast<size_t>(columns) * StripStride(rows) <= strips.capacity);
    strips.stride = StripStride(rows);
    strips.rows = rows;
    strips.columns = columns;
}

void FinishStrip(uint32_t* strip, int top, uint32_t fill) {
    std::fill(strip, strip + top + 1, fill);
}

namespace {

#ifdef __SSE2__
// A 4 x 4 block: four strips from row y into four target rows.
void TransposeBlock(const uint32_t* in, int stride, uint32_t* out, int columns) {
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
#endif

// Rows y0 to y1 - 1 of strips c0 to c0 + BLOCK - 1, one pixel at a time.
void TransposeScalar(const ColumnStrips& strips, int c0, int y0, int y1, uint32_t* target) {
    for (int y = y0; y < y1; ++y) {
        uint32_t* out = target + static_cast<size_t>(y) * strips.columns + c0;
        const uint32_t* in = Strip(strips, c0) + y;
        for (int c = 0; c < BLOCK; ++c) {
            out[c] = in[c * strips.stride];
        }
    }
}

}  // namespace

void TransposeStrips(const ColumnStrips& strips, uint32_t* target) {
    const int columns = strips.columns;
    for (int y0 = 0; y0 < strips.rows; y0 += BLOCK) {
        const int y1 = std::min(y0 + BLOCK, strips.rows);
        for (int c0 = 0; c0 < columns; c0 += BLOCK) {
#ifdef __SSE2__
            if (y1 - y0 == BLOCK) {
                for (int y = y0; y < y1; y += 4) {
                    for (int c = c0; c < c0 + BLOCK; c += 4) {
                        TransposeBlock(Strip(strips, c) + y, strips.stride,
                                       target + static_cast<size_t>(y) * columns + c, columns);
                    }
                }
                continue;
            }
#endif
            TransposeScalar(strips, c0, y0, y1, target);
        }
    }
}
