#pragma once
#include <vector>

#include "stereo_buffer.h"

namespace music {

// A plate-like reverb: eight damped feedback combs in parallel and four allpasses in series per
// side, the right side's delays a little longer than the left's for width.
struct Reverb {
    struct Comb {
        std::vector<float> line;
        long position = 0;
        float filtered = 0.0f;
    };
    struct Allpass {
        std::vector<float> line;
        long position = 0;
    };
    std::vector<Comb> combs[2];
    std::vector<Allpass> allpasses[2];
    float feedback = 0.84f;
    float damping = 0.3f;

    Reverb();

    // Adds the reverberation of `send` (both sides summed) to `out`.
    void Process(const StereoBuffer& send, StereoBuffer& out);
};

}  // namespace music
