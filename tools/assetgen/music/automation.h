#pragma once
#include <vector>

#include "arrangement.h"

namespace music {

// The value of one lane parameter over time, from its ramps. Before the first ramp the value is
// `initial`; where ramps overlap, the one that started last decides.
struct Curve {
    float initial = 0.0f;
    std::vector<Ramp> ramps;  // sorted by start

    float At(double seconds) const;
};

Curve CurveFor(const Arrangement& arrangement, Lane lane, Param param, float initial);

// Per-frame linear gains of a level curve in dB, for `frames` frames from time 0.
std::vector<float> GainsFromDecibels(const Curve& curve, long frames);

}  // namespace music
