#include "anim/track_replay.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "anim/evaluation.h"

namespace {

// The earliest time at which UpdateVariable writes or retires the track: its start, or its end if
// that comes first (an inverted span retires unwritten). A missing (NaN) bound does not count.
float FirstAction(const BaseVariable& track) {
    const float first = std::fmin(track.start, track.end);
    return std::isnan(first) ? std::numeric_limits<float>::infinity() : first;
}

// False once UpdateVariable can no longer change anything: the track has retired, has no element
// type, or has no end to write up to or retire at.
bool CanStillAct(const BaseVariable& track) {
    return track.active != 0 && (track.type & ~CLOCK_DRIVEN) != 0 && !std::isnan(track.end);
}

void OpenReachedTracks(TrackReplay& replay, const VariableList& list, float time) {
    while (replay.nextToOpen < replay.byFirstAction.size()) {
        const uint16_t index = replay.byFirstAction[replay.nextToOpen];
        if (!(FirstAction(*list.items[index]) <= time)) {
            return;
        }
        replay.open.insert(std::lower_bound(replay.open.begin(), replay.open.end(), index), index);
        ++replay.nextToOpen;
    }
}

}  // namespace

void StartReplay(TrackReplay& replay, VariableList& list) {
    RearmVariables(list);
    replay.byFirstAction.resize(list.count);
    std::iota(replay.byFirstAction.begin(), replay.byFirstAction.end(), uint16_t{0});
    std::stable_sort(replay.byFirstAction.begin(), replay.byFirstAction.end(), [&](uint16_t a, uint16_t b) {
        return FirstAction(*list.items[a]) < FirstAction(*list.items[b]);
    });
    replay.nextToOpen = 0;
    replay.open.clear();
}

void ReplayVariables(TrackReplay& replay, VariableList& list, float time) {
    OpenReachedTracks(replay, list, time);
    for (uint16_t index : replay.open) {
        UpdateVariable(*list.items[index], time);
    }
    std::erase_if(replay.open, [&](uint16_t index) { return !CanStillAct(*list.items[index]); });
}
