#pragma once
#include <cstdint>
#include <memory>

// Shifts the green and blue channels of each framebuffer row sideways by a sine of the
// row number plus a random jitter; red stays in place.
struct WaveFilter {
    std::unique_ptr<uint32_t[]> copy;  // snapshot of the framebuffer, width x height pixels
    uint8_t enabled = 0;               // applied only when exactly 1
    int32_t width = 640;
    int32_t height = 480;
    int16_t amplitude = 0;  // pixels; also the bound of the jitter
    float phase = 0.0f;     // multiplied by 20 in place on every enabled pass
    float frequency = 1.0f; // sine periods over the image height
};

void ApplyWave(WaveFilter& wave);
