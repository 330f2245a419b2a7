#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "render/draw_hardware.h"
#include "render/framebuffer.h"

// The wave filter's fields apart from its snapshot block, to be saved and restored by copying.
struct WaveFields {
    uint8_t enabled = 0;  // applied only when exactly 1
    int32_t width = FRAME_WIDTH;
    int32_t height = FRAME_HEIGHT;
    int16_t amplitude = 0;   // pixels; also the bound of the jitter; a negative value counts as 0
    float phase = 0.0f;      // multiplied by 20 in place on every enabled pass
    float frequency = 1.0f;  // sine periods over the image height

    bool operator==(const WaveFields&) const = default;
};

// Shifts the green and blue channels of each framebuffer row sideways by a sine of the
// row number plus a random jitter; red stays in place.
struct WaveFilter : WaveFields {
    std::unique_ptr<uint32_t[]> copy;  // snapshot of the framebuffer, width x height pixels

    // What the fast filter runs on, and its per-row jitter of the current pass (drawn in row
    // order before any row is shifted, so that the rows can then be shifted in any order).
    DrawHardware hardware;
    std::vector<int> rowJitter;
};

// When enabled, displaces every row from its snapshot in `copy`, taken just before, and draws one
// random value per row (randomState). A disabled pass changes nothing: as the snapshot is read
// only by the pass that takes it, it takes none (the reference version does).
void ApplyWave(WaveFilter& wave);

// What ApplyWave leaves in the filter and the generator, without the frame: on an enabled pass
// the phase is multiplied. Returns the number of random values ApplyWave would draw, for
// SkipRandom.
uint32_t SkipWave(WaveFilter& wave);

// True when width x height fits the framebuffer and the snapshot block exists; the filter
// leaves everything untouched otherwise.
bool WaveGeometryValid(const WaveFilter& wave);
