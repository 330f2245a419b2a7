#pragma once
#include <cstdint>
#include <memory>

#include "render/simd_level.h"

// The fast march draws every column of the target into a contiguous strip (one column,
// rows top to bottom) and copies the strips into the target afterwards, so that the march
// writes memory in order instead of one cache line per pixel.

constexpr int STRIP_SLACK = 16;  // rows before row 0 of each strip that a fill may run into

struct ColumnStrips {
    std::unique_ptr<uint32_t[]> pixels;
    size_t capacity = 0;  // pixels allocated
    int stride = 0;       // pixels from one strip to the next
    int rows = 0;         // rows of each strip that go to the target
    int columns = 0;      // strips in use
};

// Makes room for `columns` strips of `rows` rows, keeping a larger block if there is one.
void AllocateStrips(ColumnStrips& strips, int columns, int rows);

// Lays out `columns` strips of `rows` rows. The stride is an odd number of cache lines, so that
// neighbouring strips do not fall on the same cache sets.
void ArrangeStrips(ColumnStrips& strips, int columns, int rows);

// Row 0 of a strip.
inline uint32_t* Strip(const ColumnStrips& strips, int column) {
    return strips.pixels.get() + static_cast<size_t>(column) * strips.stride + STRIP_SLACK;
}

// Writes `colour` to rows top down to row + 1 (row < top): always the 16 rows up to top, then
// blocks of eight until row + 1 is covered. Most spans are a few rows long, so the first test of
// the loop mostly fails and the fill of a span costs no mispredicted jump. The rows written above
// row + 1 lie above the occlusion line and are written again by a farther sample or by the
// final fill, which both come later.
inline void FillStrip(uint32_t* strip, int top, int row, uint32_t colour) {
    uint32_t* first = strip + top - 15;
    for (int i = 0; i < 16; ++i) {
        first[i] = colour;
    }
    for (int y = top - 15; y > row + 1;) {
        y -= 8;
        uint32_t* block = strip + y;
        for (int i = 0; i < 8; ++i) {
            block[i] = colour;
        }
    }
}

// Fills what the march left undrawn: rows 0 to top.
void FinishStrip(uint32_t* strip, int top, uint32_t fill);

// Copies strips `first` to `end` - 1 (a multiple of eight of them) into the same columns of a
// row-major target whose row stride is the number of strips.
void TransposeStrips(const ColumnStrips& strips, int first, int end, uint32_t* target, SimdLevel level);
