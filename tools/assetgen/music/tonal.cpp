#include <algorithm>
#include <array>
#include <cmath>

#include "filter.h"
#include "instrument.h"
#include "oscillator.h"
#include "pitch.h"
#include "timing.h"

namespace music {

namespace {

constexpr long kRetune = 32;  // filters follow their cutoff every this many frames

float Decay(double seconds, double timeConstant) {
    return static_cast<float>(std::exp(-seconds / timeConstant));
}

// Attack, then full level while held, then an exponential release.
float HoldEnvelope(double t, double held, double attack, double release) {
    const double rise = std::min(1.0, t / attack);
    return static_cast<float>(t < held ? rise : rise * std::exp(-(t - held) / release));
}

long Frames(double seconds) {
    return static_cast<long>(seconds * kSampleRate);
}

double Cents(double cents) {
    return std::pow(2.0, cents / 1200.0);
}

}  // namespace

void RenderBass(const Note& note, const RenderContext& context, StereoBuffer& out) {
    const long start = SampleAt(note.start);
    const double frequency = NoteFrequency(note.pitches.at(0));
    Oscillator saw, square;
    saw.SetFrequency(frequency);
    square.SetFrequency(frequency * Cents(-6));
    StateVariableFilter filter;
    for (long i = 0; i < Frames(note.length + 0.1); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        if (i % kRetune == 0) {
            filter.Tune(context.brightness.At(note.start + t) * (1.0 + 3.0 * std::exp(-t / 0.07)), 1.3);
        }
        filter.Process(0.6f * saw.Saw() + 0.4f * square.Square());
        const float envelope = HoldEnvelope(t, note.length - 0.01, 0.003, 0.012);
        const float value = std::tanh(1.5f * filter.low) * envelope * note.velocity;
        out.Add(start + i, value, value);
        saw.Advance();
        square.Advance();
    }
}

void RenderPad(const Note& note, const RenderContext& context, StereoBuffer& out) {
    // Four detuned saws per chord tone, two leaning to each side, through a slowly breathing low-pass.
    constexpr std::array<double, 4> kDetune = {-11.0, 9.0, -4.0, 13.0};
    const long start = SampleAt(note.start);
    std::vector<Oscillator> voices;
    for (const int pitch : note.pitches) {
        for (const double cents : kDetune) {
            Oscillator voice;
            voice.SetFrequency(NoteFrequency(pitch) * Cents(cents));
            voice.phase = 0.5 * (context.noise.Next() + 1.0f);
            voices.push_back(voice);
        }
    }
    const float norm = 0.4f / std::sqrt(static_cast<float>(note.pitches.size()));
    StateVariableFilter left, right;
    for (long i = 0; i < Frames(note.length + 2.5); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        if (i % kRetune == 0) {
            const double seconds = note.start + t;
            const double breathe = 1.0 + 0.25 * std::sin(6.283185307179586 * 0.15 * seconds);
            left.Tune(context.brightness.At(seconds) * breathe, 0.9);
            right.Tune(context.brightness.At(seconds) * breathe * 1.05, 0.9);
        }
        float sum[2] = {0.0f, 0.0f};
        for (size_t v = 0; v < voices.size(); ++v) {
            sum[v % 2] += voices[v].Saw();
            voices[v].Advance();
        }
        // Each side takes a little of the other's voices so the chord holds together in mono.
        left.Process((sum[0] + 0.4f * sum[1]) * norm);
        right.Process((sum[1] + 0.4f * sum[0]) * norm);
        const float envelope = HoldEnvelope(t, note.length, 0.5, 0.6) * note.velocity;
        out.Add(start + i, left.low * envelope, right.low * envelope);
    }
}

void RenderDrone(const Note& note, const RenderContext& context, StereoBuffer& out) {
    // The chord's root and fifth as soft triangles and sines, beating slowly against each other.
    const long start = SampleAt(note.start);
    const int root = note.pitches.at(0);
    std::array<Oscillator, 4> voices;
    voices[0].SetFrequency(NoteFrequency(root) * Cents(-3));
    voices[1].SetFrequency(NoteFrequency(root) * Cents(3));
    voices[2].SetFrequency(NoteFrequency(root + 7) * Cents(-2));
    voices[3].SetFrequency(NoteFrequency(root + 12) * Cents(2));
    StateVariableFilter filter;
    for (long i = 0; i < Frames(note.length + 3.0); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        if (i % kRetune == 0) {
            filter.Tune(context.brightness.At(note.start + t), 0.7);
        }
        const float mix = 0.4f * voices[0].Triangle() + 0.4f * voices[1].Sine();
        const float upper = 0.3f * voices[2].Triangle() + 0.15f * voices[3].Sine();
        filter.Process(mix + upper);
        const float envelope = HoldEnvelope(t, note.length, 2.0, 1.5) * note.velocity;
        const float swing = 0.15f * static_cast<float>(std::sin(6.283185307179586 * 0.07 * (note.start + t)));
        out.Add(start + i, filter.low * envelope * (1.0f - swing), filter.low * envelope * (1.0f + swing));
        for (Oscillator& voice : voices) {
            voice.Advance();
        }
    }
}

void RenderPluck(const Note& note, const RenderContext& context, StereoBuffer& out) {
    const long start = SampleAt(note.start);
    const double frequency = NoteFrequency(note.pitches.at(0));
    Oscillator saw, square;
    saw.SetFrequency(frequency * Cents(-4));
    square.SetFrequency(frequency * Cents(4));
    StateVariableFilter filter;
    float left = 1.0f, right = 1.0f;
    PanGains(note.pan, left, right);
    for (long i = 0; i < Frames(0.7); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        if (i % kRetune == 0) {
            filter.Tune(context.brightness.At(note.start + t) * (1.0 + 5.0 * std::exp(-t / 0.04)), 1.8);
        }
        filter.Process(0.55f * saw.Saw() + 0.45f * square.Square());
        const float envelope = std::min(1.0f, static_cast<float>(t / 0.002)) * Decay(t, 0.16) * note.velocity;
        out.Add(start + i, filter.low * envelope * left, filter.low * envelope * right);
        saw.Advance();
        square.Advance();
    }
}

void RenderLead(const Note& note, const RenderContext& context, StereoBuffer& out) {
    // Two saws spread left and right over a square an octave down, with a delayed vibrato.
    const long start = SampleAt(note.start);
    const double frequency = NoteFrequency(note.pitches.at(0));
    Oscillator left, right, low, vibrato;
    vibrato.SetFrequency(5.5);
    StateVariableFilter leftFilter, rightFilter;
    for (long i = 0; i < Frames(note.length + 0.6); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double depth = 12.0 * std::clamp((t - 0.25) / 0.4, 0.0, 1.0);
        const double bend = Cents(depth * vibrato.Sine());
        left.SetFrequency(frequency * bend * Cents(-8));
        right.SetFrequency(frequency * bend * Cents(8));
        low.SetFrequency(0.5 * frequency * bend);
        if (i % kRetune == 0) {
            const double cutoff = context.brightness.At(note.start + t) * (1.0 + 1.5 * std::exp(-t / 0.12));
            leftFilter.Tune(cutoff, 1.0);
            rightFilter.Tune(cutoff, 1.0);
        }
        const float under = 0.3f * low.Square();
        leftFilter.Process(0.7f * left.Saw() + under);
        rightFilter.Process(0.7f * right.Saw() + under);
        const float sustain = static_cast<float>(0.75 + 0.25 * std::exp(-t / 0.25));
        const float envelope = HoldEnvelope(t, note.length, 0.008, 0.15) * sustain * note.velocity;
        out.Add(start + i, leftFilter.low * envelope, rightFilter.low * envelope);
        for (Oscillator* oscillator : {&left, &right, &low, &vibrato}) {
            oscillator->Advance();
        }
    }
}

void RenderBell(const Note& note, const RenderContext&, StereoBuffer& out) {
    // Two-operator FM: a modulator at 3.5 times the pitch whose depth dies away faster than the tone.
    const long start = SampleAt(note.start);
    const double frequency = NoteFrequency(note.pitches.at(0));
    Oscillator carrier, modulator, partial;
    modulator.SetFrequency(3.5 * frequency);
    partial.SetFrequency(2.76 * frequency);
    for (long i = 0; i < Frames(5.0); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double index = 2.0 * std::exp(-t / 0.5);
        carrier.SetFrequency(frequency * (1.0 + index * 0.3 * modulator.Sine()));
        const float tone = carrier.Sine() * Decay(t, 1.6) + 0.2f * partial.Sine() * Decay(t, 0.5);
        const float value = tone * std::min(1.0f, static_cast<float>(t / 0.002)) * note.velocity;
        out.Add(start + i, value, value);
        for (Oscillator* oscillator : {&carrier, &modulator, &partial}) {
            oscillator->Advance();
        }
    }
}

}  // namespace music
