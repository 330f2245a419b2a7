#pragma once
#include <cstdint>

#include "platform/clock.h"

// The reading of the fixed-step counter at pass `pass` (its pass-th update) at `fps` passes a
// second: floor(pass * 1000 / fps) milliseconds, cut to 32 bits as the counter wraps.
inline uint32_t PassMilliseconds(uint64_t pass, uint32_t fps) {
    return static_cast<uint32_t>(pass * 1000u / fps);
}

// The headless modes' counter: the k-th update reads floor(k * 1000 / fps) milliseconds,
// and every reading within one update returns that same value. Before the first update
// it reads 0.
struct FixedStepClock : Clock {
    explicit FixedStepClock(uint32_t framesPerSecond) : fps(framesPerSecond) {}

    void BeginUpdate() override;
    uint32_t ReadMilliseconds() override;

    uint32_t fps;
    uint64_t updates = 0;
};
