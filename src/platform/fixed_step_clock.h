#pragma once
#include <cstdint>

#include "platform/clock.h"

// The reading of the fixed-step counter at pass `pass` (its pass-th update) at `fps` passes a
// second: floor(pass * 1000 / fps) milliseconds, cut to 32 bits as the counter wraps.
inline uint32_t PassMilliseconds(uint64_t pass, uint32_t fps) {
    return static_cast<uint32_t>(pass * 1000u / fps);
}

// The first pass of the grid of `fps` passes a second whose reading is at least `elapsedMs`,
// which is also the number of passes before that reading.
inline uint64_t FirstPassAtOrAfter(uint32_t elapsedMs, uint32_t fps) {
    return (static_cast<uint64_t>(elapsedMs) * fps + 999) / 1000;
}

// The headless modes' counter: the k-th update reads floor(k * 1000 / fps) milliseconds,
// and every reading within one update returns that same value. Before the first update
// it reads 0.
struct FixedStepClock : Clock {
    explicit FixedStepClock(uint32_t framesPerSecond) : fps(framesPerSecond) {}

    void BeginUpdate() override;
    uint32_t ReadMilliseconds() override;
    uint32_t GridFps() const override { return fps; }
    uint32_t LandOn(uint32_t elapsedMs) override;

    uint32_t fps;
    uint64_t updates = 0;
};
