#pragma once
#include <cstdint>

#include "platform/clock.h"

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
