#include <algorithm>
#include <array>
#include <cmath>

#include "filter.h"
#include "instrument.h"
#include "oscillator.h"
#include "timing.h"

namespace music {

namespace {

// Six detuned square waves at inharmonic ratios: the metallic body of hats and cymbals.
struct Metal {
    std::array<Oscillator, 6> squares;

    explicit Metal(double base) {
        constexpr std::array<double, 6> kRatios = {1.0, 1.483, 1.932, 2.546, 2.630, 3.897};
        for (size_t i = 0; i < squares.size(); ++i) {
            squares[i].SetFrequency(base * kRatios[i]);
        }
    }

    float Next() {
        float sum = 0.0f;
        for (Oscillator& square : squares) {
            sum += square.Square();
            square.Advance();
        }
        return sum / 6.0f;
    }
};

float Decay(double seconds, double timeConstant) {
    return static_cast<float>(std::exp(-seconds / timeConstant));
}

// Rises over the first `attack` seconds so no hit starts with a click it does not want.
float Attack(double seconds, double attack) {
    return static_cast<float>(std::min(1.0, seconds / attack));
}

long Frames(double seconds) {
    return static_cast<long>(seconds * kSampleRate);
}

// Filtered noise plus metal with an exponential decay: closed and open hats differ in length.
void RenderHat(const Note& note, const RenderContext& context, StereoBuffer& out, double decay) {
    const long start = SampleAt(note.start);
    Metal metal(330.0);
    StateVariableFilter filter;
    filter.Tune(7500.0, 0.9);
    const long frames = Frames(decay * 6.0);
    for (long i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        filter.Process(0.6f * metal.Next() + 0.6f * context.noise.Next());
        const float value = filter.high * Decay(t, decay) * Attack(t, 0.0005) * note.velocity;
        out.Add(start + i, value, value);
    }
}

}  // namespace

void RenderKick(const Note& note, const RenderContext& context, StereoBuffer& out) {
    const long start = SampleAt(note.start);
    Oscillator body;
    StateVariableFilter click;
    click.Tune(3000.0, 0.7);
    for (long i = 0; i < Frames(0.6); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        body.SetFrequency(46.0 + 120.0 * std::exp(-t / 0.03));
        click.Process(context.noise.Next());
        const float tone = body.Sine() * Decay(t, 0.22) * Attack(t, 0.0004);
        const float value = tone + 0.35f * click.band * Decay(t, 0.004);
        const float shaped = std::tanh(1.8f * value) / std::tanh(1.8f) * note.velocity;
        out.Add(start + i, shaped, shaped);
        body.Advance();
    }
}

void RenderSnare(const Note& note, const RenderContext& context, StereoBuffer& out) {
    const long start = SampleAt(note.start);
    Oscillator low, high;
    low.SetFrequency(185.0);
    high.SetFrequency(330.0);
    StateVariableFilter rattle;
    rattle.Tune(1800.0, 0.8);
    for (long i = 0; i < Frames(0.45); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        rattle.Process(context.noise.Next());
        const float tone = (0.6f * low.Sine() + 0.4f * high.Sine()) * Decay(t, 0.045);
        const float value = (0.55f * tone + 0.8f * rattle.high * Decay(t, 0.11)) * Attack(t, 0.0005);
        out.Add(start + i, value * note.velocity, value * note.velocity);
        low.Advance();
        high.Advance();
    }
}

void RenderClap(const Note& note, const RenderContext& context, StereoBuffer& out) {
    // Three quick slaps and a short tail of band-passed noise, slightly different on each side.
    const long start = SampleAt(note.start);
    StateVariableFilter left, right;
    left.Tune(1150.0, 1.6);
    right.Tune(1250.0, 1.6);
    for (long i = 0; i < Frames(0.5); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        float envelope = 0.0f;
        for (const double slap : {0.0, 0.011, 0.022}) {
            if (t >= slap) {
                envelope = std::max(envelope, Decay(t - slap, 0.006));
            }
        }
        if (t >= 0.03) {
            envelope = std::max(envelope, 0.8f * Decay(t - 0.03, 0.1));
        }
        const float shared = context.noise.Next();
        left.Process(shared + 0.4f * context.noise.Next());
        right.Process(shared + 0.4f * context.noise.Next());
        const float gain = 2.2f * envelope * Attack(t, 0.0005) * note.velocity;
        out.Add(start + i, left.band * gain, right.band * gain);
    }
}

void RenderClosedHat(const Note& note, const RenderContext& context, StereoBuffer& out) {
    RenderHat(note, context, out, 0.03);
}

void RenderOpenHat(const Note& note, const RenderContext& context, StereoBuffer& out) {
    RenderHat(note, context, out, 0.2);
}

void RenderCrash(const Note& note, const RenderContext& context, StereoBuffer& out) {
    const long start = SampleAt(note.start);
    Metal metal(420.0);
    StateVariableFilter left, right;
    left.Tune(4200.0, 0.7);
    right.Tune(4000.0, 0.7);
    for (long i = 0; i < Frames(4.0); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const float ring = 0.5f * metal.Next();
        left.Process(ring + context.noise.Next());
        right.Process(ring + context.noise.Next());
        const float gain =
            (0.75f * Decay(t, 0.9) + 0.25f * Decay(t, 0.06)) * Attack(t, 0.0008) * note.velocity;
        out.Add(start + i, left.high * gain, right.high * gain);
    }
}

void RenderImpact(const Note& note, const RenderContext& context, StereoBuffer& out) {
    // A falling sub boom under a dark burst of noise.
    const long start = SampleAt(note.start);
    Oscillator boom;
    StateVariableFilter left, right;
    left.Tune(700.0, 0.7);
    right.Tune(650.0, 0.7);
    for (long i = 0; i < Frames(4.5); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        boom.SetFrequency(34.0 + 50.0 * std::exp(-t / 0.25));
        left.Process(context.noise.Next());
        right.Process(context.noise.Next());
        const float sub = boom.Sine() * Decay(t, 1.1);
        const float burst = 1.6f * Decay(t, 0.35);
        const float gain = Attack(t, 0.0008) * note.velocity;
        out.Add(start + i, (sub + burst * left.low) * gain, (sub + burst * right.low) * gain);
        boom.Advance();
    }
}

void RenderRiser(const Note& note, const RenderContext& context, StereoBuffer& out) {
    // Noise through a band-pass sweeping up almost five octaves, growing louder, then falling away
    // over the last 100 ms so that the downbeat at its end lands in the space it leaves.
    const long start = SampleAt(note.start);
    const long frames = Frames(note.length);
    StateVariableFilter left, right;
    for (long i = 0; i < frames; ++i) {
        const double progress = static_cast<double>(i) / frames;
        if (i % 32 == 0) {
            const double cutoff = 300.0 * std::pow(30.0, progress);
            left.Tune(cutoff, 2.5);
            right.Tune(cutoff * 1.06, 2.5);
        }
        left.Process(context.noise.Next());
        right.Process(context.noise.Next());
        const float fadeOut = static_cast<float>(std::min(1.0, (frames - i) / (0.1 * kSampleRate)));
        const float gain = static_cast<float>(progress * progress) * fadeOut * note.velocity;
        out.Add(start + i, left.band * gain, right.band * gain);
    }
}

}  // namespace music
