#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "render/draw_hardware.h"
#include "render/framebuffer.h"

// Shifts the green and blue channels of each framebuffer row sideways by a sine of the
// row number plus a random jitter; red stays in place.
struct WaveFilter {
    std::unique_ptr<uint32_t[]> copy;  // snapshot of the framebuffer, width x height pixels
    uint8_t enabled = 0;               // applied only when exactly 1
    int32_t width = FRAME_WIDTH;
    int32_t height = FRAME_HEIGHT;
    int16_t amplitude = 0;   // pixels; also the bound of the jitter; a negative value counts as 0
    float phase = 0.0f;      // multiplied by 20 in place on every enabled pass
    float frequency = 1.0f;  // sine periods over the image height

    // What the fast filter runs on, and its per-row jitter of the current pass (drawn in row
    // order before any row is shifted, so that the rows can then be shifted in any order).
    DrawHardware hardware;
    std::vector<int> rowJitter;
};

// Snapshots the framebuffer into `copy`, then, when enabled, displaces every row. Draws one
// random value per row (randomState).
void ApplyWave(WaveFilter& wave);

// True when width x height fits the framebuffer and the snapshot block exists; the filter
// leaves everything untouched otherwise.
bool WaveGeometryValid(const WaveFilter& wave);
