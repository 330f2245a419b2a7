#include "app/seek.h"

#include <algorithm>
#include <optional>

#include "anim/demo_clock.h"
#include "anim/evaluation.h"
#include "anim/track_replay.h"
#include "platform/fixed_step_clock.h"
#include "render/compositor.h"
#include "render/framebuffer.h"
#include "render/landscape_frame.h"
#include "render/random.h"

namespace {

// The passes of a seek, numbered from 0: those of the grid before the target, then the target.
struct SeekPasses {
    SeekTarget target;
    uint64_t last;  // number of the target

    uint32_t Milliseconds(uint64_t pass) const {
        return pass == last ? target.elapsedMs : PassMilliseconds(pass, target.gridFps);
    }
};

SeekPasses PassesUpTo(const SeekTarget& target) {
    return {target, FirstPassAtOrAfter(target.elapsedMs, target.gridFps)};
}

// True when the pass about to be drawn leaves nothing of the frame before it: its landscape
// draws, or a layer covers the frame. Makes the landscape's choices of the pass, as drawing would.
bool PassRewritesFrame(Show& show) {
    return BeginLandscapeFrame(*show.landscape).kind != ViewKind::None || LayersCoverFrame(show.layers);
}

// The tracks over the passes of one seek, in the seek's way.
struct SeekTracks {
    TrackReplayMode mode;
    TrackReplay replay;
};

void StartTracks(SeekTracks& tracks, VariableList& list) {
    if (tracks.mode == TrackReplayMode::Reference) {
        RearmVariables(list);
    } else {
        StartReplay(tracks.replay, list);
    }
}

// The tracks of one pass, on the demo clock of that pass.
void ReplayTracks(Show& show, SeekTracks& tracks, const SeekPasses& passes, uint64_t pass) {
    SetDemoClock(passes.Milliseconds(pass));
    if (tracks.mode == TrackReplayMode::Reference) {
        UpdateVariables(show.tracks, demoTime);
    } else {
        ReplayVariables(tracks.replay, show.tracks, demoTime);
    }
}

struct Replayed {
    std::optional<uint64_t> lastRewrite;  // the latest pass that left nothing of the frame before it
    uint64_t draws = 0;                   // random values the passes drew
};

// Passes 0 to end - 1 without drawing: their tracks and what their drawing steps leave in the
// objects, from the fields of start-up.
Replayed ReplayWithoutDrawing(Show& show, SeekTracks& tracks, const SeekPasses& passes, uint64_t end) {
    RestoreFields(show, show.startup);
    StartTracks(tracks, show.tracks);
    Replayed replayed;
    for (uint64_t pass = 0; pass < end; ++pass) {
        ReplayTracks(show, tracks, passes, pass);
        if (PassRewritesFrame(show)) {
            replayed.lastRewrite = pass;
        }
        replayed.draws += SkipWave(show.wave);
    }
    return replayed;
}

}  // namespace

SeekTarget GridPass(uint64_t pass, uint32_t fps) {
    return {PassMilliseconds(pass, fps), fps};
}

uint64_t LastPassOfShow(uint32_t fps) {
    // The largest k with k * 1000 / fps <= SHOW_END_MS.
    return ((static_cast<uint64_t>(SHOW_END_MS) + 1) * fps - 1) / 1000;
}

void RewindShow(Show& show) {
    RestoreFields(show, show.startup);
    RearmVariables(show.tracks);
    std::fill_n(frameBuffer, FRAME_PIXELS, 0u);
}

void SeekShow(Show& show, const DrawingSteps& steps, const SeekTarget& target, TrackReplayMode mode) {
    const SeekPasses passes = PassesUpTo(target);
    SeekTracks tracks{mode, {}};
    const Replayed before = ReplayWithoutDrawing(show, tracks, passes, passes.last);
    ReplayTracks(show, tracks, passes, passes.last);
    if (PassRewritesFrame(show)) {
        SkipRandom(before.draws);
        DrawFrame(show, steps);
        return;
    }
    // Part of the frame still shows earlier passes: draw them all from the latest one that left
    // nothing of its own frame before, or from the black frame of start-up.
    const uint64_t first = before.lastRewrite.value_or(0);
    if (!before.lastRewrite) {
        std::fill_n(frameBuffer, FRAME_PIXELS, 0u);
    }
    SkipRandom(ReplayWithoutDrawing(show, tracks, passes, first).draws);
    for (uint64_t pass = first; pass <= passes.last; ++pass) {
        ReplayTracks(show, tracks, passes, pass);
        DrawFrame(show, steps);
    }
}
