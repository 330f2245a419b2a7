#pragma once
#include <cstdint>
#include <optional>

#include "platform/platform.h"

// The viewer's hold on the playing show.
struct PlayerState {
    bool paused = false;
    bool frameAtClock = false;  // the frame shown was drawn at the clock's reading (by a jump),
                                // so the next pass goes on after it instead of drawing it again
    uint32_t shownMs = 0;       // the demo clock of the frame shown
};

// The demo clock of the last pass the show draws on the grid of `gridFps` passes a second.
uint32_t LastPassMs(uint32_t gridFps);

// Where `command` takes the show from the frame shown at `shownMs`: 5 s and 30 s back or forward
// and to the start, a jump past either end landing on the first or the last pass, or (only while paused) to
// the next or the previous pass of the grid of `gridFps` passes a second. Nothing for the other commands.
std::optional<uint32_t> CommandTarget(PlayerCommand command, uint32_t shownMs, bool paused, uint32_t gridFps);
