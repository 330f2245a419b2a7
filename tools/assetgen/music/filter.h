#pragma once

namespace music {

// Two-pole state-variable filter (trapezoidal form): one call gives low-, band- and high-pass
// outputs of the same input. Stable for any cutoff below half the sample rate.
struct StateVariableFilter {
    double g = 0.0, k = 1.0, a1 = 0.0, a2 = 0.0, a3 = 0.0;
    double ic1 = 0.0, ic2 = 0.0;
    float low = 0.0f, band = 0.0f, high = 0.0f;

    // `resonance` is Q: 0.707 is flat, higher values ring at the cutoff.
    void Tune(double cutoffHertz, double resonance);
    void Process(float input);
};

// One-pole low-pass, used to smooth control signals and darken reverb tails.
struct OnePole {
    float coefficient = 0.0f;
    float state = 0.0f;

    void Tune(double cutoffHertz);
    float Process(float input) { return state += coefficient * (input - state); }
};

}  // namespace music
