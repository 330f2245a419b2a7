#include "platform/fixed_step_clock.h"

void FixedStepClock::BeginUpdate() {
    ++updates;
}

uint32_t FixedStepClock::ReadMilliseconds() {
    // The counter is 32 bits wide and wraps, as the real one does.
    return PassMilliseconds(updates, fps);
}

uint32_t FixedStepClock::LandOn(uint32_t elapsedMs) {
    updates = FirstPassAtOrAfter(elapsedMs, fps);
    return ReadMilliseconds();
}
