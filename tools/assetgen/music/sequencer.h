#pragma once
#include <vector>

#include "arrangement.h"
#include "chord_timeline.h"
#include "note.h"

namespace music {

// How a lane turns pattern steps into notes.
struct LaneVoicing {
    int lowestPitch = 48;       // chords, roots and chord tones are voiced from here up
    float alternatePan = 0.0f;  // successive notes alternate between -this and +this
};

// Every note a lane plays: its clips' patterns over their spans, then its one-shots, by time.
// Throws std::invalid_argument for an unknown pattern or pitch name.
std::vector<Note> SequenceLane(const Arrangement& arrangement, const ChordTimeline& chords, Lane lane,
                               const LaneVoicing& voicing);

}  // namespace music
