#include "mixer.h"

#include <algorithm>
#include <cmath>

#include "automation.h"
#include "channel_strip.h"
#include "chord_timeline.h"
#include "delay.h"
#include "reverb.h"
#include "sequencer.h"
#include "timing.h"

namespace music {

namespace {

struct Buses {
    StereoBuffer dry{kPieceSamples};
    StereoBuffer reverbSend{kPieceSamples};
    StereoBuffer delaySend{kPieceSamples};
};

// How far the kick pushes the ducked lanes down at each frame, from 0 to 1: a fast dip on every
// kick that recovers over a beat, which makes pads and bass breathe with the drums.
std::vector<float> KickPump(const std::vector<Note>& kicks) {
    std::vector<float> pump(kPieceSamples, 0.0f);
    for (const Note& kick : kicks) {
        const long start = SampleAt(kick.start);
        for (long i = 0; i < static_cast<long>(0.45 * kSampleRate) && start + i < kPieceSamples; ++i) {
            const double t = static_cast<double>(i) / kSampleRate;
            const float depth =
                static_cast<float>(std::min(1.0, t / 0.004) * std::exp(-t / 0.11)) * kick.velocity;
            pump[start + i] = std::max(pump[start + i], std::min(1.0f, depth));
        }
    }
    return pump;
}

void RenderLane(const ChannelStrip& strip, const std::vector<Note>& notes, const Curve& brightness,
                StereoBuffer& lane) {
    lane.Clear();
    Noise noise(0x51EDu + 7919u * static_cast<uint32_t>(strip.lane));
    const RenderContext context{brightness, noise};
    for (const Note& note : notes) {
        strip.render(note, context, lane);
    }
}

void AddToBuses(const ChannelStrip& strip, const StereoBuffer& lane, const std::vector<float>& levels,
                const std::vector<float>& pump, Buses& buses) {
    float left = 1.0f, right = 1.0f;
    PanGains(strip.pan, left, right);
    const float gain = std::pow(10.0f, strip.gainDb / 20.0f);
    for (long i = 0; i < kPieceSamples; ++i) {
        const float g = gain * levels[i] * (1.0f - strip.duckDepth * pump[i]);
        const float l = lane.left[i] * g * left;
        const float r = lane.right[i] * g * right;
        buses.dry.left[i] += l;
        buses.dry.right[i] += r;
        buses.reverbSend.left[i] += l * strip.reverbSend;
        buses.reverbSend.right[i] += r * strip.reverbSend;
        buses.delaySend.left[i] += l * strip.delaySend;
        buses.delaySend.right[i] += r * strip.delaySend;
    }
}

void AddEffects(Buses& buses) {
    // The echoes go to the reverb as well as to the mix, so they sit in the same room.
    StereoBuffer echoes(kPieceSamples);
    PingPongDelay{}.Process(buses.delaySend, echoes);
    for (long i = 0; i < kPieceSamples; ++i) {
        buses.dry.left[i] += echoes.left[i];
        buses.dry.right[i] += echoes.right[i];
        buses.reverbSend.left[i] += 0.3f * echoes.left[i];
        buses.reverbSend.right[i] += 0.3f * echoes.right[i];
    }
    Reverb reverb;
    reverb.Process(buses.reverbSend, buses.dry);
}

void ApplyMaster(const Arrangement& arrangement, StereoBuffer& mix) {
    const std::vector<float> gains =
        GainsFromDecibels(CurveFor(arrangement, Lane::master, Param::level, 0.0f), kPieceSamples);
    for (long i = 0; i < kPieceSamples; ++i) {
        mix.left[i] *= gains[i];
        mix.right[i] *= gains[i];
    }
}

}  // namespace

StereoBuffer MixPiece(const Arrangement& arrangement) {
    const ChordTimeline chords(arrangement.chords);
    const std::vector<float> pump = KickPump(SequenceLane(arrangement, chords, Lane::kick, {}));
    Buses buses;
    StereoBuffer lane(kPieceSamples);
    for (const ChannelStrip& strip : ChannelStrips()) {
        const std::vector<Note> notes = SequenceLane(arrangement, chords, strip.lane, strip.voicing);
        const Curve brightness = CurveFor(arrangement, strip.lane, Param::brightness, strip.brightness);
        RenderLane(strip, notes, brightness, lane);
        const std::vector<float> levels =
            GainsFromDecibels(CurveFor(arrangement, strip.lane, Param::level, 0.0f), kPieceSamples);
        AddToBuses(strip, lane, levels, pump, buses);
    }
    AddEffects(buses);
    ApplyMaster(arrangement, buses.dry);
    return std::move(buses.dry);
}

}  // namespace music
