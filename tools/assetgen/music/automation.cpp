#include "automation.h"

#include <algorithm>
#include <cmath>

#include "timing.h"

namespace music {

float Curve::At(double seconds) const {
    const auto after = std::upper_bound(ramps.begin(), ramps.end(), seconds,
                                        [](double t, const Ramp& ramp) { return t < ramp.start; });
    if (after == ramps.begin()) {
        return initial;
    }
    const Ramp& ramp = *(after - 1);
    if (seconds >= ramp.end || ramp.end <= ramp.start) {
        return ramp.to;
    }
    const double progress = (seconds - ramp.start) / (ramp.end - ramp.start);
    return static_cast<float>(ramp.from + (ramp.to - ramp.from) * progress);
}

Curve CurveFor(const Arrangement& arrangement, Lane lane, Param param, float initial) {
    Curve curve{initial, {}};
    for (const Ramp& ramp : arrangement.ramps) {
        if (ramp.lane == lane && ramp.param == param) {
            curve.ramps.push_back(ramp);
        }
    }
    std::stable_sort(curve.ramps.begin(), curve.ramps.end(),
                     [](const Ramp& a, const Ramp& b) { return a.start < b.start; });
    return curve;
}

std::vector<float> GainsFromDecibels(const Curve& curve, long frames) {
    // The curve is read every 16 frames and interpolated in between: smooth enough for any fade.
    constexpr long kBlock = 16;
    std::vector<float> gains(frames);
    float previous = std::pow(10.0f, curve.At(0.0) / 20.0f);
    for (long block = 0; block < frames; block += kBlock) {
        const float next =
            std::pow(10.0f, curve.At(static_cast<double>(block + kBlock) / kSampleRate) / 20.0f);
        for (long i = 0; i < kBlock && block + i < frames; ++i) {
            gains[block + i] = previous + (next - previous) * static_cast<float>(i) / kBlock;
        }
        previous = next;
    }
    return gains;
}

}  // namespace music
