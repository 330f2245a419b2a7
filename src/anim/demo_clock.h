#pragma once
#include <cstdint>

// The demo clock, written only by the frame timer and read by the tracks and the driver.
extern float demoTime;      // seconds since the clock started; 0 until the first update
extern float demoTimeTens;  // the same clock in units of ten seconds (elapsed ms / 10000)

// Sets both from the demo clock's elapsed milliseconds, as each update of the frame timer does.
void SetDemoClock(uint32_t elapsedMs);
