#pragma once
#include <cstdint>

#include "app/show.h"

// The pass a seek brings the show to: the one drawn at `elapsedMs` of the demo clock, after
// every pass before it on a grid of `gridFps` passes a second (1 to 1000; pass k at
// floor(k * 1000 / gridFps) ms, as on the fixed-step clock).
struct SeekTarget {
    uint32_t elapsedMs = 0;
    uint32_t gridFps = 60;
};

// Pass `pass` of the grid of `fps` passes a second.
SeekTarget GridPass(uint64_t pass, uint32_t fps);

// The last pass of the grid that the show draws before its end.
uint64_t LastPassOfShow(uint32_t fps);

// Puts a built show back to where it stands before its first pass: the fields of start-up, the
// tracks re-armed, the frame black.
void RewindShow(Show& show);

// How a seek replays the tracks over the passes before its target.
enum class TrackReplayMode {
    Fast,       // one track a field and pass, the one whose write stands (TrackReplay)
    Reference,  // every track at every pass, as the loop evaluates them: what Fast must equal
};

// Brings a built show to the state and the frame that an uninterrupted run on the target's grid
// leaves after drawing the target pass, whatever was drawn before: the fields of start-up, the
// tracks re-armed and replayed over the earlier passes without drawing, the generator skipped
// over their draws and the wave phase as their filters left it. Then only the passes that still
// show in the frame are drawn, through `steps`: the target alone unless some pass before it left
// part of the frame standing. demoTime and demoTimeTens are left at the target; the frame
// timer and the clock are the caller's. The landscape's `light` (the shading of the last sample
// drawn, which no pass reads) is the one field left as the passes actually drawn leave it.
// The cost of the track replay grows with the passes and the fields written, not with the tracks.
void SeekShow(Show& show, const DrawingSteps& steps, const SeekTarget& target,
              TrackReplayMode mode = TrackReplayMode::Fast);
