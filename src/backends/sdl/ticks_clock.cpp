#include "backends/sdl/ticks_clock.h"

#include <SDL2/SDL_timer.h>

uint32_t TicksClock::ReadMilliseconds() {
    return SDL_GetTicks();
}
