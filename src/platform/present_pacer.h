#pragma once
#include <cstdint>

// The rate presents are held to when the display's refresh rate is not known.
constexpr uint32_t DEFAULT_REFRESH_HZ = 60;

// Holds the presents of a show played with --vsync to the display's refresh rate on a real clock
// of microseconds, for when the presenter's own wait for the refresh is refused or does nothing (a
// virtual X server, GDI). Where the presenter does wait, each present already comes a refresh after
// the one before and finds its slot reached: the pacer then adds no wait of its own, as long as
// it paces no slower than the true refresh. Systems give the rate in whole hertz, some rounded
// down (59 for 59.94 Hz), so a presenter that has a wait of its own is paced 1 Hz above the rate
// given: a ceiling that never holds back one of its presents past a refresh.
struct PresentPacer {
    bool presenterWaits = false;  // the presenter's own wait for the refresh was accepted
    double periodUs = 0.0;        // microseconds between two presents
    double nextUs = 0.0;          // the reading from which the next present may go
    bool started = false;         // a present was noted
};

// Paces at `refreshHz` presents a second, or at DEFAULT_REFRESH_HZ when it is 0 (unknown); 1 more
// when the presenter waits itself.
void SetRefreshRate(PresentPacer& pacer, uint32_t refreshHz);
// Microseconds to wait, at reading `nowUs`, before the next present may go: 0 when it may go now.
uint64_t MicrosecondsToWait(const PresentPacer& pacer, uint64_t nowUs);
// Notes a present made at reading `nowUs`. The next may go a period after this one's slot, so that
// the presents keep the display's rhythm when a wait overshoots or a pass comes a little late,
// but never sooner than half a period after this present: a pass that took long (late by half a
// period or more) starts the rhythm again from its present, and no burst follows to catch up.
// Over any span, presents then come at most at the refresh rate, plus one half.
void NotePresent(PresentPacer& pacer, uint64_t nowUs);
