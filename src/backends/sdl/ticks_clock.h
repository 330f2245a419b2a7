#pragma once
#include "platform/clock.h"

// The real millisecond counter: SDL's ticks since the library's timer started.
struct TicksClock : Clock {
    uint32_t ReadMilliseconds() override;
};
