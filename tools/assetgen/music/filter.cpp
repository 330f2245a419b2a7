#include "filter.h"

#include <algorithm>
#include <cmath>

#include "timing.h"

namespace music {

void StateVariableFilter::Tune(double cutoffHertz, double resonance) {
    const double cutoff = std::clamp(cutoffHertz, 10.0, 0.45 * kSampleRate);
    g = std::tan(3.141592653589793 * cutoff / kSampleRate);
    k = 1.0 / resonance;
    a1 = 1.0 / (1.0 + g * (g + k));
    a2 = g * a1;
    a3 = g * a2;
}

void StateVariableFilter::Process(float input) {
    const double v3 = input - ic2;
    const double v1 = a1 * ic1 + a2 * v3;
    const double v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2.0 * v1 - ic1;
    ic2 = 2.0 * v2 - ic2;
    low = static_cast<float>(v2);
    band = static_cast<float>(v1);
    high = static_cast<float>(input - k * v1 - v2);
}

void OnePole::Tune(double cutoffHertz) {
    coefficient = static_cast<float>(1.0 - std::exp(-6.283185307179586 * cutoffHertz / kSampleRate));
}

}  // namespace music
