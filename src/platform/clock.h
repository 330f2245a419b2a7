#pragma once
#include <cstdint>

// Passes a second of the headless modes' fixed-step clock unless asked otherwise.
constexpr uint32_t STEP_FPS = 60;

// The millisecond counter behind the demo clock: a 32-bit unsigned count that wraps.
// The window build reads the real counter; the headless modes use a fixed step per update.
struct Clock {
    virtual ~Clock() = default;
    // Called once at the start of every UpdateFrameTimer, before its readings.
    virtual void BeginUpdate() {}
    virtual uint32_t ReadMilliseconds() = 0;
    // Passes a second of the grid whose passes a seek replays: the fixed-step clock's own; on
    // the real counter the headless modes' default, whose passes are also the single steps.
    virtual uint32_t GridFps() const { return STEP_FPS; }
    // Where a jump to `elapsedMs` of the demo clock lands, with the counter readied to go on from
    // there: the real counter lands anywhere, the fixed-step clock on the first pass of its grid
    // at or after `elapsedMs`.
    virtual uint32_t LandOn(uint32_t elapsedMs) { return elapsedMs; }
};
