#include "anim/demo_clock.h"

float demoTime = 0.0f;
float demoTimeTens = 0.0f;

void SetDemoClock(uint32_t elapsedMs) {
    const float elapsed = static_cast<float>(elapsedMs);
    demoTime = elapsed / 1000.0f;
    demoTimeTens = elapsed / 10000.0f;
}
