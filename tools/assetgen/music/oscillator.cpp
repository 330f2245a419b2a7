#include "oscillator.h"

#include <cmath>

#include "timing.h"

namespace music {

namespace {

constexpr double kTwoPi = 6.283185307179586;

// Correction that rounds off a step at phase 0 over one sample on either side of it.
double PolyBlep(double phase, double increment) {
    if (phase < increment) {
        const double t = phase / increment;
        return t + t - t * t - 1.0;
    }
    if (phase > 1.0 - increment) {
        const double t = (phase - 1.0) / increment;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

}  // namespace

void Oscillator::SetFrequency(double hertz) {
    increment = hertz / kSampleRate;
}

void Oscillator::Advance() {
    // Frequencies stay below the sample rate, so one wrap per step is enough.
    phase += increment;
    if (phase >= 1.0) {
        phase -= 1.0;
    }
}

float Oscillator::Sine() const {
    return static_cast<float>(std::sin(kTwoPi * phase));
}

float Oscillator::Triangle() const {
    return static_cast<float>(phase < 0.5 ? 4.0 * phase - 1.0 : 3.0 - 4.0 * phase);
}

float Oscillator::Saw() const {
    return static_cast<float>(2.0 * phase - 1.0 - PolyBlep(phase, increment));
}

float Oscillator::Square() const {
    double shifted = phase + 0.5;
    shifted -= std::floor(shifted);
    const double naive = phase < 0.5 ? 1.0 : -1.0;
    return static_cast<float>(naive + PolyBlep(phase, increment) - PolyBlep(shifted, increment));
}

}  // namespace music
