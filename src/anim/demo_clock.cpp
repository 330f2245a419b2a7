#include "anim/demo_clock.h"

float demoTime = 0.0f;
float demoTimeTens = 0.0f;
