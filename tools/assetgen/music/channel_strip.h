#pragma once
#include <vector>

#include "arrangement.h"
#include "instrument.h"
#include "sequencer.h"

namespace music {

// How one lane is played and placed in the mix.
struct ChannelStrip {
    Lane lane = Lane::kick;
    RenderNote render = nullptr;
    LaneVoicing voicing;
    float gainDb = 0.0f;         // on top of the lane's level ramps
    float pan = 0.0f;            // -1 left to 1 right
    float reverbSend = 0.0f;     // share of the lane sent to the reverb
    float delaySend = 0.0f;      // share sent to the echo
    float duckDepth = 0.0f;      // how far the kick pushes the lane down (0 none, 1 silence)
    float brightness = 2000.0f;  // filter cutoff in Hz before the first brightness ramp
};

// The mixing desk of the piece: one strip per instrument lane.
const std::vector<ChannelStrip>& ChannelStrips();

}  // namespace music
