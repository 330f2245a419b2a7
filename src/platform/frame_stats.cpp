#include "platform/frame_stats.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "anim/demo_clock.h"

uint8_t statsFlags = STATS_TIMER | STATS_FPS;
uint32_t startTime = 0;
uint32_t elapsedMs = 0;
uint32_t epsilon = 0;
float avr = 0.0f;
bool avrStarted = false;
float fpsWindowStart = 0.0f;
uint32_t fpsFrameCount = 0;
float fpsAverage = 0.0f;
float fpsMin = FLT_MAX;
float fpsMax = 0.0f;
char timerText[256] = {};
char fpsText[256] = {};
char titleText[512] = {};

namespace {

// The low 8 bits of a float truncated toward zero (the average shows as 0 to 255).
int LowByteOf(float value) {
    if (!std::isfinite(value)) {
        return 0;
    }
    return static_cast<int>(static_cast<int64_t>(value) & 0xFF);
}

void WriteTimerText() {
    std::snprintf(timerText, sizeof timerText, "timer ms: %.6i, epsilon: %.2i, avr: %.2i | ",
                  static_cast<int>(elapsedMs), static_cast<int>(epsilon & 0xFF), LowByteOf(avr));
}

void UpdateDemoClock(Clock& clock) {
    uint32_t now = clock.ReadMilliseconds();
    uint32_t previous = elapsedMs;
    elapsedMs = now - startTime;
    SetDemoClock(elapsedMs);
    epsilon = elapsedMs - previous;
    if (!avrStarted) {
        avr = static_cast<float>(epsilon);
        avrStarted = true;
    }
    avr = static_cast<float>(avr + static_cast<float>(epsilon)) * 0.5f;
    WriteTimerText();
}

void UpdateFrameRate(Clock& clock) {
    float now = static_cast<float>(clock.ReadMilliseconds());
    ++fpsFrameCount;
    if (!(static_cast<double>(now) > static_cast<double>(fpsWindowStart) + 500.0)) {
        return;
    }
    fpsAverage = static_cast<float>(fpsFrameCount * 1000u) / (now - fpsWindowStart);
    if (fpsAverage < fpsMin) {
        fpsMin = fpsAverage;
    }
    if (fpsMax < fpsAverage) {
        fpsMax = fpsAverage;
    }
    std::snprintf(fpsText, sizeof fpsText, "average fps: %.2f, min fps: %.2f, max fps: %.2f | ", fpsAverage,
                  fpsMin, fpsMax);
    fpsWindowStart = now;
    fpsFrameCount = 0;
}

}  // namespace

void ResetFrameStats() {
    statsFlags = STATS_TIMER | STATS_FPS;
    startTime = 0;
    elapsedMs = 0;
    demoTime = 0.0f;
    demoTimeTens = 0.0f;
    epsilon = 0;
    avr = 0.0f;
    avrStarted = false;
    fpsWindowStart = 0.0f;
    fpsFrameCount = 0;
    fpsAverage = 0.0f;
    fpsMin = FLT_MAX;
    fpsMax = 0.0f;
    timerText[0] = '\0';
    fpsText[0] = '\0';
    titleText[0] = '\0';
}

void StartFrameTimer(Clock& clock) {
    uint32_t now = clock.ReadMilliseconds();
    if (statsFlags & STATS_TIMER) {
        startTime = now;
    }
    fpsWindowStart = static_cast<float>(now);
}

void MoveFrameTimer(Clock& clock, uint32_t elapsed) {
    const uint32_t now = clock.ReadMilliseconds();
    if (statsFlags & STATS_TIMER) {
        startTime = now - elapsed;
        elapsedMs = elapsed;
        SetDemoClock(elapsed);
        epsilon = 0;
        avr = 0.0f;
        avrStarted = false;
        WriteTimerText();
    }
    fpsWindowStart = static_cast<float>(now);
    fpsFrameCount = 0;
}

void UpdateFrameTimer(Clock& clock) {
    clock.BeginUpdate();
    if (statsFlags & STATS_TIMER) {
        UpdateDemoClock(clock);
    }
    if (statsFlags & STATS_FPS) {
        UpdateFrameRate(clock);
    }
}

void UpdateWindowTitle(Platform& platform) {
    std::memset(titleText, 0, sizeof titleText);
    std::strcat(titleText, timerText);
    std::strcat(titleText, fpsText);
    platform.SetTitle(titleText);
}
