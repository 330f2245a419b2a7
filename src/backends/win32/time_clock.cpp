#include "backends/win32/time_clock.h"

#include <windows.h>

#include <mmsystem.h>

TimeClock::TimeClock() {
    timeBeginPeriod(1);
}

TimeClock::~TimeClock() {
    timeEndPeriod(1);
}

uint32_t TimeClock::ReadMilliseconds() {
    return timeGetTime();
}
