#pragma once
#include <cstdint>

#include "render/framebuffer.h"
#include "render/landscape.h"
#include "render/simd_level.h"

// The fast march draws each column of a band of the target into a contiguous strip (one column,
// rows top to bottom) and copies the band's strips into the target afterwards, so that the march
// writes memory in order instead of one cache line per pixel. A band's strips are the scratch of
// the task that draws it, small enough to stay in the core's first-level cache until they are
// copied, instead of a whole frame of strips that goes out to memory and comes back.

constexpr int STRIP_SLACK = 16;         // rows before row 0 of each strip that a fill may run into
constexpr int STRIP_BAND_COLUMNS = 16;  // one 64-byte cache line of a target row
constexpr int MAX_STRIP_ROWS = FRAME_HEIGHT > INTERMEDIATE_ROWS ? FRAME_HEIGHT : INTERMEDIATE_ROWS;
// An odd number of cache lines, so that neighbouring strips do not fall on the same cache sets.
constexpr int MAX_STRIP_STRIDE = ((STRIP_SLACK + MAX_STRIP_ROWS + 15) / 16 | 1) * 16;

struct StripBand {
    int stride = 0;  // pixels from one strip to the next
    int rows = 0;    // rows of each strip that go to the target
    alignas(64) uint32_t pixels[STRIP_BAND_COLUMNS * MAX_STRIP_STRIDE];  // written before read
};

// Lays out the band's strips for `rows` rows (at most MAX_STRIP_ROWS).
void ArrangeStrips(StripBand& band, int rows);

// Row 0 of the strip of the band's column `column` (0 to STRIP_BAND_COLUMNS - 1).
inline uint32_t* Strip(StripBand& band, int column) {
    return band.pixels + column * band.stride + STRIP_SLACK;
}

inline const uint32_t* Strip(const StripBand& band, int column) {
    return band.pixels + column * band.stride + STRIP_SLACK;
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

// Copies the band's strips into columns 0 to STRIP_BAND_COLUMNS - 1 of a row-major target whose
// rows are `columns` pixels apart.
void TransposeStrips(const StripBand& band, uint32_t* target, int columns, SimdLevel level);
