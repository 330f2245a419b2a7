#pragma once
#include <bit>
#include <cstdint>

#include "render/landscape.h"
#include "render/landscape_tables.h"
#include "render/landscape_views.h"
#include "render/truncate.h"

// The fast march's views and its first pass over a column, which finds the samples that
// pass the occlusion line. A view folds the frame's offsets (map offset plus camera) into the
// coordinate function and takes the row function from tables.

struct PerspectiveView {
    uint8_t offsetX;
    uint8_t offsetY;  // back + map offset + camY
    const LandscapeTables* tables;

    MapCell Cell(int column, int d) const {
        return {static_cast<uint8_t>(PerspectiveSpread(column, d) + offsetX),
                static_cast<uint8_t>(offsetY - d)};
    }
    uint32_t Row(uint32_t h, int d) const { return DivideByDepth(*tables, PerspectiveRowNumerator(h), d); }
};

struct TunnelView {
    uint8_t offsetX;  // shift + map offset + camX
    uint8_t offsetY;  // back + map offset + camY
    const LandscapeTables* tables;

    MapCell Cell(int column, int d) const {
        return {static_cast<uint8_t>(column + offsetX), static_cast<uint8_t>(offsetY - d)};
    }
    uint32_t Row(uint32_t h, int d) const { return DivideByDepth(*tables, TunnelRowNumerator(h), d); }
};

struct RadialView {
    uint8_t offsetX;  // 127 + camX twice + map offset
    uint8_t offsetY;  // 127 + camY twice + map offset
    const LandscapeTables* tables;

    MapCell Cell(int column, int d) const {
        const RadialOffset offset = tables->radialOffsets[d * INTERMEDIATE_COLUMNS + column];
        return {static_cast<uint8_t>(offset.x + offsetX), static_cast<uint8_t>(offset.y + offsetY)};
    }
    uint32_t Row(uint32_t h, int d) const { return RadialRowFromSine(h, tables->radialSines[d]); }
};

template <class View, bool kSway>
MapCell SampleCell(const View& view, const LandscapeTables& tables, int column, int d) {
    MapCell cell = view.Cell(column, d);
    if constexpr (kSway) {
        cell.x = TruncateToByte(static_cast<float>(cell.x) + tables.swayOffsets[d]);
    }
    return cell;
}

// The samples of a column that passed the occlusion line, nearest first: map index
// (y x 256 + x), depth and height packed in `samples`, screen row in `rows`.
struct DrawnSamples {
    uint32_t samples[LANDSCAPE_DEPTHS + 1];  // index | d << 16 | h << 24
    uint16_t rows[LANDSCAPE_DEPTHS + 1];
    int count;

    // visit(sample, row) for each of them, nearest first.
    template <class Visit>
    void ForEach(Visit visit) const {
        for (int i = 0; i < count; ++i) {
            visit(samples[i], static_cast<int>(rows[i]));
        }
    }
};

inline uint32_t PackSample(uint32_t index, uint32_t d, uint32_t h) {
    return index | d << 16 | h << 24;
}

// One column, without branching on the terrain, so the visibility test costs no mispredicted
// jumps.
template <class View, bool kSway>
void FindDrawnSamples(const View& view, const uint8_t* heights, int column, int startLine,
                      DrawnSamples& drawn) {
    int top = startLine;
    int count = 0;
    for (int d = 0; d < LANDSCAPE_DEPTHS; ++d) {
        const MapCell cell = SampleCell<View, kSway>(view, *view.tables, column, d);
        const uint32_t index = (cell.y << 8) | cell.x;
        const uint32_t h = heights[index];
        const int row = static_cast<int>(view.Row(h, d));
        drawn.samples[count] = PackSample(index, d, h);
        drawn.rows[count] = static_cast<uint16_t>(row);
        const bool visible = row < top;
        count += visible;
        top = visible ? row : top;
    }
    drawn.count = count;
}

// The first pass over eight neighbouring columns at once, one in each 32-bit lane of a 256-bit
// vector: every sample of every lane by depth, as the vectors hold them, and per lane a bit for
// each depth whose sample passed the lane's occlusion line.
constexpr int LANES = 8;
constexpr int DEPTH_WORD_BITS = 64;
constexpr int DEPTH_WORDS = (LANDSCAPE_DEPTHS + DEPTH_WORD_BITS - 1) / DEPTH_WORD_BITS;

struct SamplesOfEight {
    alignas(32) uint32_t samples[LANDSCAPE_DEPTHS][LANES];  // packed as in DrawnSamples
    alignas(32) int32_t rows[LANDSCAPE_DEPTHS][LANES];
    uint64_t visible[LANES][DEPTH_WORDS];  // bit d % 64 of word d / 64
};

// The drawn samples of one lane, read in place.
struct LaneSamples {
    const SamplesOfEight& found;
    int lane;

    template <class Visit>
    void ForEach(Visit visit) const {
        for (int word = 0; word < DEPTH_WORDS; ++word) {
            for (uint64_t bits = found.visible[lane][word]; bits != 0; bits &= bits - 1) {
                const int d = word * DEPTH_WORD_BITS + std::countr_zero(bits);
                visit(found.samples[d][lane], static_cast<int>(found.rows[d][lane]));
            }
        }
    }
};

// The samples of the eight columns from `first` on; lane i is column first + i. Needs AVX2.
template <class View, bool kSway>
void FindSamplesOfEight(const View& view, const uint8_t* heights, int first, int startLine,
                        SamplesOfEight& found);
