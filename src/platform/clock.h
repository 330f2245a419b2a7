#pragma once
#include <cstdint>

// The millisecond counter behind the demo clock: a 32-bit unsigned count that wraps.
// The window build reads the real counter; the headless modes use a fixed step per update.
struct Clock {
    virtual ~Clock() = default;
    // Called once at the start of every UpdateFrameTimer, before its readings.
    virtual void BeginUpdate() {}
    virtual uint32_t ReadMilliseconds() = 0;
};
