#include <immintrin.h>

#include "render/landscape_columns.h"

// The first pass of the march for eight adjacent columns at once, one column in each 32-bit
// lane: the same cells, heights, rows and occlusion lines as FindDrawnSamples.

#define AVX2 __attribute__((target("avx2")))

namespace {

// Per view, the lanes' map cell at depth d, their heights and the row function.
template <class View>
struct Lanes;

// heights[index] for each lane, through 4-byte reads aligned down so that none reaches past
// the map's last byte.
AVX2 inline __m256i GatherHeights(const uint8_t* heights, __m256i index) {
    const __m256i aligned = _mm256_andnot_si256(_mm256_set1_epi32(3), index);
    const __m256i words = _mm256_i32gather_epi32(reinterpret_cast<const int*>(heights), aligned, 1);
    const __m256i shift = _mm256_slli_epi32(_mm256_and_si256(index, _mm256_set1_epi32(3)), 3);
    return _mm256_and_si256(_mm256_srlv_epi32(words, shift), _mm256_set1_epi32(0xFF));
}

// The bytes of a map row at `start` + index for index bytes 0 to 30, the ones from 16 on wrapping
// round to the row's start: two reads and byte shuffles. Bit 7 set zeroes a shuffled byte: an
// index from 16 on takes nothing from the first read, and flipping bits 7 and 4 gives the second
// read's index, or bit 7 for the indices below 16. The shift by 3 moves bit 4 to bit 7 within
// each byte, as the indices are below 32.
AVX2 inline __m128i WrappedRowBytes(const uint8_t* row, int start, __m128i index) {
    const __m128i firstIndex =
        _mm_or_si128(index, _mm_and_si128(_mm_slli_epi16(index, 3), _mm_set1_epi8(-128)));
    const __m128i secondIndex = _mm_xor_si128(firstIndex, _mm_set1_epi8(static_cast<char>(0x90)));
    const __m128i firstRead = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + start));
    const __m128i secondRead = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
    return _mm_or_si128(_mm_shuffle_epi8(firstRead, firstIndex), _mm_shuffle_epi8(secondRead, secondIndex));
}

// The heights of lanes that share map row y and whose x lie within 16 cells from lane 0's on
// (modulo 256): one read of the map row and a byte shuffle instead of a gather, or two reads
// where the 16 bytes from lane 0's x would run past the row's end. The perspective's
// neighbouring columns lie at most (7 x 254) / 256 + 1 cells apart, one more with the sway; the
// tunnel's exactly one apart. The map is only read, so both cores keep it in their caches, where
// a padded copy made every frame would have to move between them.
AVX2 inline __m256i RowHeights(const uint8_t* heights, __m256i x, int y) {
    const uint8_t* row = heights + y * MAP_SIDE;
    const int first = _mm256_cvtsi256_si32(x);
    const __m256i offsets =
        _mm256_and_si256(_mm256_sub_epi32(x, _mm256_set1_epi32(first)), _mm256_set1_epi32(0xFF));
    const __m128i words =
        _mm_packus_epi32(_mm256_castsi256_si128(offsets), _mm256_extracti128_si256(offsets, 1));
    const __m128i bytes = _mm_packus_epi16(words, _mm_setzero_si128());
    constexpr int LAST_WHOLE_READ = MAP_SIDE - 16;
    if (first <= LAST_WHOLE_READ) {  // the common case: runs of depths wrap, or none do
        const __m128i window = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + first));
        return _mm256_cvtepu8_epi32(_mm_shuffle_epi8(window, bytes));
    }
    const __m128i fromStart = _mm_add_epi8(bytes, _mm_set1_epi8(static_cast<char>(first - LAST_WHOLE_READ)));
    return _mm256_cvtepu8_epi32(WrappedRowBytes(row, LAST_WHOLE_READ, fromStart));
}

// Row numerator / (d + 1) for numerators below 2^14, as DivideByDepthInSingle computes it.
AVX2 inline __m256i DivideByDepth(__m256i numerator, float reciprocal) {
    return _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(numerator), _mm256_set1_ps(reciprocal)));
}

AVX2 inline __m256i LowByte(__m256i value) {
    return _mm256_and_si256(value, _mm256_set1_epi32(0xFF));
}

AVX2 inline __m256i LaneColumns(int first) {
    return _mm256_add_epi32(_mm256_set1_epi32(first), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
}

// What the perspective and tunnel lanes share: depth d reads map row offsetY - d, one row for all
// eight lanes, and the screen row is a numerator divided by d + 1.
struct DepthRowLanes {
    AVX2 DepthRowLanes(uint8_t mapOffsetY, const LandscapeTables& tables)
        : offsetY(mapOffsetY), reciprocals(tables.depthReciprocals.data()) {}

    AVX2 __m256i MapRow(int d) const { return _mm256_set1_epi32(static_cast<uint8_t>(offsetY - d)); }

    AVX2 __m256i Heights(const uint8_t* heights, __m256i x, __m256i, int d) const {
        return RowHeights(heights, x, static_cast<uint8_t>(offsetY - d));
    }

    AVX2 __m256i DividedByDepth(__m256i numerator, int d) const {
        return DivideByDepth(numerator, reciprocals[d]);
    }

    uint8_t offsetY;
    const float* reciprocals;
};

template <>
struct Lanes<PerspectiveView> : DepthRowLanes {
    AVX2 Lanes(const PerspectiveView& view, int first)
        : DepthRowLanes(view.offsetY, *view.tables),
          fromCentre(_mm256_sub_epi32(LaneColumns(first), _mm256_set1_epi32(PERSPECTIVE_CENTRE_COLUMN))),
          offsetX(_mm256_set1_epi32(view.offsetX)) {}

    AVX2 void Cell(int d, __m256i& x, __m256i& y) const {
        const __m256i spread = _mm256_srai_epi32(_mm256_mullo_epi32(fromCentre, _mm256_set1_epi32(d)), 8);
        x = LowByte(_mm256_add_epi32(spread, offsetX));
        y = MapRow(d);
    }

    AVX2 __m256i Row(__m256i h, int d) const {
        const __m256i eye = _mm256_sub_epi32(_mm256_set1_epi32(PERSPECTIVE_EYE_HEIGHT), h);
        return DividedByDepth(_mm256_mullo_epi32(eye, _mm256_set1_epi32(PERSPECTIVE_FOCAL_ROWS)), d);
    }

    __m256i fromCentre;
    __m256i offsetX;
};

template <>
struct Lanes<TunnelView> : DepthRowLanes {
    AVX2 Lanes(const TunnelView& view, int first)
        : DepthRowLanes(view.offsetY, *view.tables),
          x(LowByte(_mm256_add_epi32(LaneColumns(first), _mm256_set1_epi32(view.offsetX)))) {}

    AVX2 void Cell(int d, __m256i& cellX, __m256i& cellY) const {
        cellX = x;
        cellY = MapRow(d);
    }

    AVX2 __m256i Row(__m256i h, int d) const {
        const __m256i quarter = _mm256_srli_epi32(_mm256_sub_epi32(_mm256_set1_epi32(255), h), 2);
        return DividedByDepth(_mm256_slli_epi32(_mm256_add_epi32(quarter, _mm256_set1_epi32(4)), 7), d);
    }

    __m256i x;
};

template <>
struct Lanes<RadialView> {
    AVX2 Lanes(const RadialView& view, int first)
        : offsets(view.tables->radialOffsets.data() + first),
          sines(view.tables->radialSines.data()),
          offsetX(_mm256_set1_epi32(view.offsetX)),
          offsetY(_mm256_set1_epi32(view.offsetY)) {}

    // The lanes' offsets sit side by side in the table's row for d, x in the low byte.
    AVX2 void Cell(int d, __m256i& x, __m256i& y) const {
        const __m128i pairs =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(offsets + d * INTERMEDIATE_COLUMNS));
        const __m256i both = _mm256_cvtepi16_epi32(pairs);
        x = LowByte(_mm256_add_epi32(_mm256_srai_epi32(_mm256_slli_epi32(both, 24), 24), offsetX));
        y = LowByte(_mm256_add_epi32(_mm256_srai_epi32(_mm256_slli_epi32(both, 16), 24), offsetY));
    }

    AVX2 __m256i Heights(const uint8_t* heights, __m256i, __m256i index, int) const {
        return GatherHeights(heights, index);
    }

    AVX2 __m256i Row(__m256i h, int d) const {
        const __m256 scaled = _mm256_mul_ps(_mm256_cvtepi32_ps(h), _mm256_set1_ps(sines[d]));
        return _mm256_sub_epi32(_mm256_set1_epi32(255), _mm256_cvttps_epi32(scaled));
    }

    const RadialOffset* offsets;
    const float* sines;
    __m256i offsetX;
    __m256i offsetY;
};

static_assert(sizeof(RadialOffset) == 2);

// Each lane's bit of the visibility masks of 32 depths from `first` on, one byte a depth.
AVX2 void TransposeMasks(const uint8_t* masks, int first, uint32_t lanes[LANES]) {
    const __m256i bytes = _mm256_load_si256(reinterpret_cast<const __m256i*>(masks + first));
    for (int lane = 0; lane < LANES; ++lane) {
        // Shifted into each byte's top bit; 16-bit shifts carry nothing into it from the other byte.
        const __m256i top = _mm256_slli_epi16(bytes, LANES - 1 - lane);
        lanes[lane] = static_cast<uint32_t>(_mm256_movemask_epi8(top));
    }
}

// Each lane's bits of the visibility masks of word `word`'s 64 depths.
AVX2 void CollectVisibleBits(const uint8_t* masks, int word, SamplesOfEight& found) {
    uint32_t low[LANES], high[LANES];
    TransposeMasks(masks, word * DEPTH_WORD_BITS, low);
    TransposeMasks(masks, word * DEPTH_WORD_BITS + 32, high);
    for (int lane = 0; lane < LANES; ++lane) {
        found.visible[lane][word] = uint64_t{high[lane]} << 32 | low[lane];
    }
}

template <class View, bool kSway>
AVX2 void FindInLanes(const View& view, const uint8_t* heights, int first, int startLine,
                      SamplesOfEight& found) {
    const Lanes<View> lanes(view, first);
    __m256i top = _mm256_set1_epi32(startLine);
    alignas(32) uint8_t masks[DEPTH_WORDS * DEPTH_WORD_BITS] = {};  // bit i: lane i's sample was visible
    for (int d = 0; d < LANDSCAPE_DEPTHS; ++d) {
        __m256i x, y;
        lanes.Cell(d, x, y);
        if constexpr (kSway) {
            const __m256 swayed =
                _mm256_add_ps(_mm256_cvtepi32_ps(x), _mm256_set1_ps(view.tables->swayOffsets[d]));
            x = LowByte(_mm256_cvttps_epi32(swayed));
        }
        const __m256i index = _mm256_or_si256(_mm256_slli_epi32(y, 8), x);
        const __m256i h = lanes.Heights(heights, x, index, d);
        const __m256i row = lanes.Row(h, d);
        const __m256i sample =
            _mm256_or_si256(_mm256_or_si256(index, _mm256_set1_epi32(d << 16)), _mm256_slli_epi32(h, 24));
        _mm256_store_si256(reinterpret_cast<__m256i*>(found.samples[d]), sample);
        _mm256_store_si256(reinterpret_cast<__m256i*>(found.rows[d]), row);
        // No branch on the terrain, as in the one-column pass.
        const __m256i visible = _mm256_cmpgt_epi32(top, row);
        masks[d] = static_cast<uint8_t>(_mm256_movemask_ps(_mm256_castsi256_ps(visible)));
        top = _mm256_min_epi32(top, row);
    }
    for (int word = 0; word < DEPTH_WORDS; ++word) {
        CollectVisibleBits(masks, word, found);
    }
}

}  // namespace

// The declaration the renderer sees carries no target, so the lanes live in FindInLanes.
template <class View, bool kSway>
void FindSamplesOfEight(const View& view, const uint8_t* heights, int first, int startLine,
                        SamplesOfEight& found) {
    FindInLanes<View, kSway>(view, heights, first, startLine, found);
}

template void FindSamplesOfEight<PerspectiveView, false>(const PerspectiveView&, const uint8_t*, int, int,
                                                         SamplesOfEight&);
template void FindSamplesOfEight<PerspectiveView, true>(const PerspectiveView&, const uint8_t*, int, int,
                                                        SamplesOfEight&);
template void FindSamplesOfEight<TunnelView, false>(const TunnelView&, const uint8_t*, int, int,
                                                    SamplesOfEight&);
template void FindSamplesOfEight<TunnelView, true>(const TunnelView&, const uint8_t*, int, int,
                                                   SamplesOfEight&);
template void FindSamplesOfEight<RadialView, false>(const RadialView&, const uint8_t*, int, int,
                                                    SamplesOfEight&);
template void FindSamplesOfEight<RadialView, true>(const RadialView&, const uint8_t*, int, int,
                                                   SamplesOfEight&);
