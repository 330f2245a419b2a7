#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "anim/track.h"

// Replays a track list over passes at non-decreasing times, as UpdateVariables at each of those
// times does, but visits at each pass only the tracks that can act at it: those that have
// reached their span (or, with an inverted span, its end) and have not retired. A seek replays
// thousands of passes this way in the time of a few hundred full evaluations.
struct TrackReplay {
    std::vector<uint16_t> byFirstAction;  // indices of the tracks, by the time they first act
    size_t nextToOpen = 0;                // first entry of byFirstAction not yet open
    std::vector<uint16_t> open;           // tracks that may act, in registration order
};

// Re-arms every track of the list, as registration leaves it, and readies the replay.
void StartReplay(TrackReplay& replay, VariableList& list);

// One pass at `time`, which is no earlier than the replay's previous pass: the targets and the
// tracks' retirement end as UpdateVariables(list, time) leaves them.
void ReplayVariables(TrackReplay& replay, VariableList& list, float time);
