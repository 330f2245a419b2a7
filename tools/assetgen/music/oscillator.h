#pragma once

namespace music {

// A phase accumulator with band-limited (polyBLEP) saw and square shapes and plain sine and
// triangle. The phase runs from 0 to 1; Advance moves it on by one sample at `frequency`.
struct Oscillator {
    double phase = 0.0;
    double increment = 0.0;

    void SetFrequency(double hertz);
    void Advance();

    float Sine() const;
    float Triangle() const;
    float Saw() const;
    float Square() const;
};

}  // namespace music
