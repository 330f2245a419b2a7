#pragma once
#include <cstdint>

#include "platform/clock.h"
#include "platform/platform.h"

constexpr uint8_t STATS_TIMER = 1;  // run the demo clock and write timerText
constexpr uint8_t STATS_FPS = 2;    // frame-rate windows and fpsText

// The demo clock's state and the statistics shown in the title. demoTime and demoTimeTens
// live with the tracks that read them (anim/demo_clock.h).
extern uint8_t statsFlags;
extern uint32_t startTime;      // counter reading at which the demo clock is zero
extern uint32_t elapsedMs;      // demo clock in milliseconds
extern uint32_t epsilon;        // this update's elapsedMs minus the previous one
extern float avr;               // running average of epsilon
extern bool avrStarted;         // set by the first update, which seeds avr
extern float fpsWindowStart;    // raw counter reading at which the frame-rate window began
extern uint32_t fpsFrameCount;  // updates counted in the current window
extern float fpsAverage;        // rate of the last closed window
extern float fpsMin;            // lowest window rate so far
extern float fpsMax;            // highest window rate so far
extern char timerText[256];
extern char fpsText[256];
extern char titleText[512];

// Puts every statistic at its initial value, with both the timer and the fps flags on.
void ResetFrameStats();

// Takes the counter reading at which the demo clock starts.
void StartFrameTimer(Clock& clock);

// Moves the demo clock's origin so that it reads `elapsed` milliseconds now, as after a jump or
// a pause; the averages (avr and the frame-rate window) start again.
void MoveFrameTimer(Clock& clock, uint32_t elapsed);

// Advances the demo clock and the statistics; called once per pass after drawing.
void UpdateFrameTimer(Clock& clock);

// Sets the title to the timer text followed by the frame-rate text.
void UpdateWindowTitle(Platform& platform);
