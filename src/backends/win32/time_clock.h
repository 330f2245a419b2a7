#pragma once
#include "platform/clock.h"

// The real millisecond counter: WinMM's timeGetTime, stepping each millisecond while the
// play mode holds timeBeginPeriod(1).
struct TimeClock : Clock {
    TimeClock();   // timeBeginPeriod(1)
    ~TimeClock();  // timeEndPeriod(1)
    TimeClock(const TimeClock&) = delete;
    TimeClock& operator=(const TimeClock&) = delete;
    uint32_t ReadMilliseconds() override;
};
