#pragma once
#include "stereo_buffer.h"

namespace music {

// A ping-pong echo: the send's echoes alternate between the sides, each one darker and
// `feedback` times quieter than the one before.
struct PingPongDelay {
    double delaySeconds = 0.375;  // a dotted eighth at 120 beats per minute
    float feedback = 0.4f;
    double darkenHertz = 3500.0;

    // Adds the echoes of `send` (both sides summed) to `out`.
    void Process(const StereoBuffer& send, StereoBuffer& out) const;
};

}  // namespace music
