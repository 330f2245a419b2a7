#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "anim/track.h"

// Replays a track list over passes at non-decreasing times, leaving after each pass the targets
// and the tracks' retirement exactly as UpdateVariables at that time does, at a cost that does not
// grow with the number of tracks that write at a pass: of the tracks that write one field, only
// the one registered last is evaluated, since its write is the one that stands after the pass. A
// pass costs one evaluation per field written, and each track is handled once more when it
// reaches its span and once when it retires. A seek over the 11,761 passes of the show with a
// script of 65535 tracks takes milliseconds, where evaluating every track at every pass takes
// seconds.
//
// Tracks that write one field must name it by one address and one width (no two fields of the
// list overlap), as the script's fields do.
struct TrackReplay {
    // A track's span, copied out of the track so that the passes need not visit it.
    struct Span {
        float start;
        float end;
        uint16_t track;  // index in the list
    };
    // The tracks of one field that have reached their span, a max-heap by index: the top, once
    // the ones past their end are dropped, is the track whose write stands.
    struct Field {
        std::vector<Span> started;
    };
    std::vector<Field> fields;
    std::vector<uint32_t> fieldOf;  // each track's field, by index
    std::vector<Span> byStart;      // the tracks that write at some time, by start
    size_t nextToStart = 0;         // first entry of byStart that has not reached its span
    std::vector<Span> byEnd;        // the tracks that retire at some time, by end
    size_t nextToRetire = 0;        // first entry of byEnd not yet retired
    std::vector<uint32_t> written;  // fields with a started track, in no order
    size_t passes = 0;              // passes replayed so far
    float lastTime = 0.0f;          // the time of the latest one
};

// Re-arms every track of the list, as registration leaves it, and readies the replay.
void StartReplay(TrackReplay& replay, VariableList& list);

// One pass at `time`, which is no earlier than the replay's previous pass: the targets and the
// tracks' retirement end as UpdateVariables(list, time) leaves them.
void ReplayVariables(TrackReplay& replay, VariableList& list, float time);
