#pragma once
#include <vector>

#include "stereo_buffer.h"

namespace music {

// A look-ahead peak limiter over the whole piece: the gain reaches the level a peak needs over
// the `lookAheadSeconds` before it and recovers over `releaseSeconds` after, so no sample of
// either side exceeds `ceiling` and the gain never jumps.
struct Limiter {
    float ceiling = 0.8f;
    double lookAheadSeconds = 0.005;
    double releaseSeconds = 0.12;

    // The gain for each frame.
    std::vector<float> Gains(const StereoBuffer& buffer) const;

    void Process(StereoBuffer& buffer) const;
};

}  // namespace music
