// The soundtrack synthesiser's pieces: names, patterns, the sequencer, ramps, instruments,
// effects, the limiter and the MP3 writer.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "../support/temp_path.h"
#include "arrangement.h"
#include "automation.h"
#include "channel_strip.h"
#include "chord_timeline.h"
#include "delay.h"
#include "filter.h"
#include "limiter.h"
#include "mp3_writer.h"
#include "music_decode.h"
#include "oscillator.h"
#include "pattern.h"
#include "pitch.h"
#include "reverb.h"
#include "sequencer.h"
#include "timing.h"

using namespace music;

namespace {

double EnergyDb(const std::vector<float>& samples, double start, double end) {
    double sum = 0.0;
    const long first = SampleAt(start), last = std::min(SampleAt(end), static_cast<long>(samples.size()));
    for (long i = first; i < last; ++i) {
        sum += samples[i] * samples[i];
    }
    return 10.0 * std::log10(sum / std::max(1L, last - first) + 1e-30);
}

// Errors name what could not be read.
template <typename Error>
auto ThrowsNaming(const char* name) {
    return testing::ThrowsMessage<Error>(testing::HasSubstr(name));
}

TEST(Pitch, NamesAndChordSymbols) {
    const std::pair<const char*, int> notes[] = {
        {"A4", 69}, {"C#5", 73}, {"Bb3", 58}, {"Cb4", 59}, {"B#3", 60}};
    for (const auto& [name, midi] : notes) {
        EXPECT_EQ(ParseNoteName(name), midi) << name;
    }
    for (const char* bad : {"H4", "A", "A10", "a4", ""}) {
        EXPECT_FALSE(ParseNoteName(bad)) << bad;
    }
    EXPECT_NEAR(NoteFrequency(69), 440.0, 1e-9);
    EXPECT_NEAR(NoteFrequency(57), 220.0, 1e-9);
    const struct {
        const char* symbol;
        int root;
        std::vector<int> intervals;
    } chords[] = {{"Am", 9, {0, 3, 7}},
                  {"F#m7", 6, {0, 3, 7, 10}},
                  {"Bbmaj7", 10, {0, 4, 7, 11}},
                  {"Esus4", 4, {0, 5, 7}}};
    for (const auto& chord : chords) {
        ASSERT_TRUE(ParseChord(chord.symbol)) << chord.symbol;
        EXPECT_EQ(ParseChord(chord.symbol)->root, chord.root) << chord.symbol;
        EXPECT_EQ(ParseChord(chord.symbol)->intervals, chord.intervals) << chord.symbol;
    }
    EXPECT_FALSE(ParseChord("Cdim"));
    EXPECT_FALSE(ParseChord(""));
}

TEST(Pitch, ChordsAreVoicedUpwardsFromTheLowestPitch) {
    const Chord aMinor = *ParseChord("Am");
    EXPECT_EQ(VoiceChord(*ParseChord("F"), 55), (std::vector<int>{65, 69, 72}));
    EXPECT_EQ(VoiceChord(aMinor, 57), (std::vector<int>{57, 60, 64}));
    EXPECT_EQ(ChordTone(aMinor, 60, 0), 69);
    EXPECT_EQ(ChordTone(aMinor, 60, 2), 76);
    EXPECT_EQ(ChordTone(aMinor, 60, 3), 81);  // past the last tone: the root an octave up
    EXPECT_EQ(ChordTone(aMinor, 60, 7), 96);
}

TEST(Pattern, StepsFromCharactersAndTokensAndUnreadableOnesNamed) {
    const Pattern drums = ParsePattern({"test", PatternKind::drum, 4, "Xx|o."});
    ASSERT_EQ(drums.steps.size(), 4u);
    EXPECT_FLOAT_EQ(drums.steps[2].velocity, 0.4f);
    EXPECT_EQ(drums.steps[3].kind, StepKind::rest);
    const Pattern offsets = ParsePattern({"test", PatternKind::rootOffsets, 4, "0 - . 12 | -7"});
    ASSERT_EQ(offsets.steps.size(), 5u);
    EXPECT_EQ(offsets.steps[4].value, -7);
    EXPECT_EQ(ParsePattern({"test", PatternKind::notes, 2, "A4 - C#5"}).steps[2].value, 73);
    const auto unreadable = [] { ParsePattern({"broken", PatternKind::rootOffsets, 4, "0 A4"}); };
    EXPECT_THAT(unreadable, ThrowsNaming<std::invalid_argument>("broken"));
    EXPECT_THAT(unreadable, ThrowsNaming<std::invalid_argument>("A4"));
    EXPECT_THROW(ParsePattern({"drums", PatternKind::drum, 4, "X.y."}), std::invalid_argument);
    EXPECT_THROW(ParsePattern({"empty", PatternKind::drum, 4, ""}), std::invalid_argument);
    EXPECT_THROW(FindPattern("no such pattern"), std::invalid_argument);
    EXPECT_THROW(ChordTimeline({{0, 2, "Am Hm", 4}}), std::invalid_argument);
}

std::vector<Note> Sequence(Clip clip, std::string_view progression, double beatsPerChord,
                           LaneVoicing voicing) {
    const Arrangement arrangement{{{-1, 200, progression, beatsPerChord}}, {clip}, {}, {}};
    return SequenceLane(arrangement, ChordTimeline(arrangement.chords), clip.lane, voicing);
}

TEST(Sequencer, PatternsStayOnTheBarGridWhenAClipStartsMidBar) {
    const std::vector<Note> notes = Sequence({90, 93, Lane::kick, "four"}, "Am", 4, {});
    ASSERT_EQ(notes.size(), 6u);
    EXPECT_DOUBLE_EQ(notes[0].start, 90.0);  // the third beat of the bar from 89 s
    EXPECT_FLOAT_EQ(notes[0].velocity, 1.0f);
    EXPECT_DOUBLE_EQ(notes[1].start, 90.5);
    EXPECT_FLOAT_EQ(notes[1].velocity, 0.75f);
    EXPECT_DOUBLE_EQ(notes[2].start, 91.0);
    EXPECT_FLOAT_EQ(notes[2].velocity, 1.0f);
}

TEST(Sequencer, HeldNotesFollowChordChanges) {
    // Chords change every two beats; a bar-long bass note is struck again on the new root.
    const std::vector<Note> notes = Sequence({1, 3, Lane::bass, "bass-long"}, "Am F", 2, {28, 0.0f});
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].pitches, std::vector<int>{33});
    EXPECT_DOUBLE_EQ(notes[0].length, 1.0);
    EXPECT_EQ(notes[1].pitches, std::vector<int>{29});
    EXPECT_DOUBLE_EQ(notes[1].start, 2.0);
    EXPECT_DOUBLE_EQ(notes[1].length, 0.875);  // the bar's last sixteenth is a rest
}

TEST(Sequencer, TransposesAndAlternatesPan) {
    const std::vector<Note> notes = Sequence({1, 2, Lane::arp, "arp-up", 0.5f, 12}, "Am", 4, {60, 0.4f});
    ASSERT_EQ(notes.size(), 8u);
    EXPECT_EQ(notes[0].pitches, std::vector<int>{69 + 12});
    EXPECT_EQ(notes[1].pitches, std::vector<int>{72 + 12});
    EXPECT_FLOAT_EQ(notes[0].velocity, 0.5f);
    EXPECT_FLOAT_EQ(notes[0].pan, -0.4f);
    EXPECT_FLOAT_EQ(notes[1].pan, 0.4f);
}

TEST(Sequencer, SustainedChordsLastTheirSpanWithinTheClip) {
    const std::vector<Note> notes = Sequence({2, 7, Lane::pad, "sustain"}, "Am F", 4, {55, 0.0f});
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_DOUBLE_EQ(notes[0].start, 2.0);
    EXPECT_DOUBLE_EQ(notes[0].length, 1.0);
    EXPECT_EQ(notes[1].pitches, (std::vector<int>{57, 60, 64}));  // A minor from 3 s
    EXPECT_DOUBLE_EQ(notes[2].length, 2.0);                       // F from 5 s, cut at 7 s
}

TEST(Sequencer, OneShotsCarryTheirPitchAndUnknownNamesAreRejected) {
    Arrangement arrangement{{}, {}, {{7, Lane::bell, 1, "E5", 0.5f}, {3, Lane::bell, 2, "A4", 1.0f}}, {}};
    const std::vector<Note> notes = SequenceLane(arrangement, ChordTimeline({}), Lane::bell, {});
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_DOUBLE_EQ(notes[0].start, 3.0);  // in order of time
    EXPECT_EQ(notes[0].pitches, std::vector<int>{69});
    EXPECT_EQ(notes[1].pitches, std::vector<int>{76});
    arrangement.oneShots.push_back({9, Lane::bell, 1, "E55", 1.0f});
    EXPECT_THROW(SequenceLane(arrangement, ChordTimeline({}), Lane::bell, {}), std::invalid_argument);
}

TEST(Automation, RampsHoldTheirLastValueAndTheLaterStartWins) {
    const Arrangement arrangement{{},
                                  {},
                                  {},
                                  {{Lane::pad, Param::level, 10, 20, -20, 0},
                                   {Lane::pad, Param::level, 30, 30, -6, -6},
                                   {Lane::pad, Param::level, 15, 16, 5, 5},
                                   {Lane::bass, Param::level, 0, 100, 9, 9}}};  // another lane's ramp
    const Curve curve = CurveFor(arrangement, Lane::pad, Param::level, -3.0f);
    const std::pair<double, float> expected[] = {{5, -3}, {12.5, -15}, {15.5, 5}, {25, 5}, {30, -6}};
    for (const auto& [seconds, decibels] : expected) {
        EXPECT_FLOAT_EQ(curve.At(seconds), decibels) << seconds;
    }
}

TEST(Oscillator, ShapesRunAtTheirFrequencyWithinFullScale) {
    for (const auto shape :
         {&Oscillator::Sine, &Oscillator::Triangle, &Oscillator::Saw, &Oscillator::Square}) {
        Oscillator oscillator;
        oscillator.SetFrequency(441.0);
        float largest = 0.0f, previous = 0.0f;
        int cycles = 0;  // upward zero crossings over one second
        for (long i = 0; i < kSampleRate; ++i) {
            const float value = (oscillator.*shape)();
            oscillator.Advance();
            largest = std::max(largest, std::fabs(value));
            cycles += i > 0 && previous < 0.0f && value >= 0.0f;
            previous = value;
        }
        EXPECT_NEAR(cycles, 441, 1);
        EXPECT_LT(largest, 1.15f);
        EXPECT_GT(largest, 0.9f);
    }
}

TEST(Filter, LowPassKeepsLowTonesAndRemovesHighOnes) {
    const auto levelThrough = [](double hertz) {
        StateVariableFilter filter;
        filter.Tune(1000.0, 0.707);
        Oscillator tone;
        tone.SetFrequency(hertz);
        float peak = 0.0f;
        for (long i = 0; i < kSampleRate / 2; ++i) {
            filter.Process(tone.Sine());
            tone.Advance();
            peak = i > kSampleRate / 4 ? std::max(peak, std::fabs(filter.low)) : 0.0f;
        }
        return peak;
    };
    EXPECT_NEAR(levelThrough(100.0), 1.0f, 0.02f);
    EXPECT_NEAR(levelThrough(1000.0), 0.707f, 0.02f);  // -3 dB at the cutoff
    EXPECT_LT(levelThrough(8000.0), 0.02f);            // two poles: -36 dB three octaves up
}

TEST(Noise, SameSeedSameSequenceWithinRange) {
    Noise first(11), second(11), other(12);
    bool differs = false;
    double sum = 0.0;
    for (int i = 0; i < 100000; ++i) {
        const float value = first.Next();
        ASSERT_EQ(value, second.Next());
        ASSERT_GE(value, -1.0f);
        ASSERT_LT(value, 1.0f);
        differs = differs || value != other.Next();
        sum += value;
    }
    EXPECT_TRUE(differs);
    EXPECT_NEAR(sum / 100000.0, 0.0, 0.01);
}

TEST(Instruments, EveryLaneSoundsFromItsStartAndStaysFinite) {
    const Curve brightness{2000.0f, {}};
    for (const ChannelStrip& strip : ChannelStrips()) {
        StereoBuffer out(SampleAt(3.0));
        Noise noise(7);
        strip.render({0.5, 1.0, {57, 60, 64}, 1.0f, 0.0f}, {brightness, noise}, out);
        float before = 0.0f, peak = 0.0f;
        bool finite = true;
        for (long i = 0; i < out.Frames(); ++i) {
            const float level = std::max(std::fabs(out.left[i]), std::fabs(out.right[i]));
            finite = finite && std::isfinite(level);
            float& loudest = i < SampleAt(0.5) ? before : peak;
            loudest = std::max(loudest, level);
        }
        SCOPED_TRACE("lane " + std::to_string(static_cast<int>(strip.lane)));
        EXPECT_TRUE(finite);
        EXPECT_EQ(before, 0.0f);
        EXPECT_GT(peak, 0.02f);
        EXPECT_LT(peak, 3.0f);
    }
}

TEST(Effects, EchoesAlternateSidesAndTheReverbTailDecaysDifferentlyPerSide) {
    StereoBuffer impulse(SampleAt(4.0)), echoes(SampleAt(4.0)), room(SampleAt(4.0));
    impulse.left[0] = impulse.right[0] = 1.0f;
    PingPongDelay{}.Process(impulse, echoes);
    EXPECT_GT(EnergyDb(echoes.left, 0.37, 0.39), EnergyDb(echoes.right, 0.37, 0.39) + 40.0);
    EXPECT_GT(EnergyDb(echoes.right, 0.745, 0.765), EnergyDb(echoes.left, 0.745, 0.765) + 40.0);
    EXPECT_LT(EnergyDb(echoes.left, 0.0, 0.37), -100.0);
    impulse.right[0] = 0.0f;
    Reverb reverb;
    reverb.Process(impulse, room);
    EXPECT_GT(EnergyDb(room.left, 0.1, 0.5), EnergyDb(room.left, 3.0, 3.5) + 20.0);
    EXPECT_NE(room.left[SampleAt(0.3)], room.right[SampleAt(0.3)]);
}

TEST(Limiter, HoldsPeaksUnderTheCeilingWithoutJumpsAndLeavesQuietPartsAlone) {
    StereoBuffer buffer(SampleAt(3.0));
    for (long i = 0; i < buffer.Frames(); ++i) {
        const float tone = 0.3f * static_cast<float>(std::sin(0.05 * i));
        const bool burst = i >= SampleAt(1.5) && i < SampleAt(1.51);
        buffer.left[i] = burst ? 3.0f * tone : tone;
        buffer.right[i] = -buffer.left[i];
    }
    const StereoBuffer original = buffer;
    const Limiter limiter;
    const std::vector<float> gains = limiter.Gains(buffer);
    limiter.Process(buffer);
    float peak = 0.0f, largestStep = 0.0f;
    for (long i = 1; i < buffer.Frames(); ++i) {
        peak = std::max({peak, std::fabs(buffer.left[i]), std::fabs(buffer.right[i])});
        largestStep = std::max(largestStep, std::fabs(gains[i] - gains[i - 1]));
    }
    EXPECT_LE(peak, limiter.ceiling * 1.0001f);
    EXPECT_GT(peak, limiter.ceiling * 0.95f);
    EXPECT_LT(largestStep, 0.005f);
    EXPECT_EQ(buffer.left[SampleAt(1.0)], original.left[SampleAt(1.0)]);
    EXPECT_NEAR(gains[SampleAt(2.5)], 1.0f, 1e-3f);  // recovered a second after the burst
}

TEST(Mp3Writer, DecodesToTheSameLengthAndTimingAndRepeatsItsBytes) {
    // A quiet hiss with a loud burst at 1 s, as a hit over a bed of sound.
    StereoBuffer audio(SampleAt(2.0));
    Noise noise(3);
    for (long i = 0; i < audio.Frames(); ++i) {
        const float level = i >= SampleAt(1.0) && i < SampleAt(1.2) ? 0.5f : 0.01f;
        audio.left[i] = level * noise.Next();
        audio.right[i] = level * noise.Next();
    }
    const std::vector<unsigned char> bytes = EncodeMp3(audio, {});
    EXPECT_EQ(bytes, EncodeMp3(audio, {}));
    EXPECT_NEAR(static_cast<double>(bytes.size()), 256000.0 / 8.0 * 2.0, 3000.0);
    const std::string path = TempPath("mp3_writer_test.mp3");
    WriteFileAtomically(path, bytes);
    const DecodedAudio decoded = DecodeMp3File(path);
    EXPECT_EQ(static_cast<long>(decoded.Frames()), audio.Frames());
    const Onset onset = SharpestRiseNear(decoded, 1.0, 0.1);
    // Without the gapless information the burst would arrive about 25 ms late (the encoder's
    // delay); a millisecond or two early is the codec's pre-echo.
    EXPECT_NEAR(onset.seconds, 1.0, 0.003);
    EXPECT_GT(onset.riseDb, 20.0);
}

TEST(Mp3Writer, ReportsAnUnwritablePath) {
    EXPECT_THAT(
        [] {
            WriteFileAtomically("/nonexistent-folder/out.mp3", {1, 2, 3});
        },
        ThrowsNaming<std::runtime_error>("/nonexistent-folder/out.mp3"));
}

}  // namespace
