// The soundtrack synthesiser's pieces: note and chord names, patterns, the sequencer, ramps,
// instruments, effects, the limiter and the MP3 writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

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

TEST(Pitch, NoteNamesAreMidiNumbers) {
    EXPECT_EQ(ParseNoteName("A4"), 69);
    EXPECT_EQ(ParseNoteName("C#5"), 73);
    EXPECT_EQ(ParseNoteName("Bb3"), 58);
    EXPECT_EQ(ParseNoteName("Cb4"), 59);
    EXPECT_EQ(ParseNoteName("B#3"), 60);
    for (const char* bad : {"H4", "A", "A10", "a4", ""}) {
        EXPECT_FALSE(ParseNoteName(bad)) << bad;
    }
    EXPECT_NEAR(NoteFrequency(69), 440.0, 1e-9);
    EXPECT_NEAR(NoteFrequency(57), 220.0, 1e-9);
}

TEST(Pitch, ChordSymbolsGiveRootAndTones) {
    const auto minor = ParseChord("Am");
    ASSERT_TRUE(minor);
    EXPECT_EQ(minor->root, 9);
    EXPECT_EQ(minor->intervals, (std::vector<int>{0, 3, 7}));
    EXPECT_EQ(ParseChord("F#m7")->root, 6);
    EXPECT_EQ(ParseChord("F#m7")->intervals, (std::vector<int>{0, 3, 7, 10}));
    EXPECT_EQ(ParseChord("Bbmaj7")->root, 10);
    EXPECT_EQ(ParseChord("Esus4")->intervals, (std::vector<int>{0, 5, 7}));
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

TEST(Pattern, DrumCharactersGiveHitsWithVelocities) {
    const Pattern pattern = ParsePattern({"test", PatternKind::drum, 4, "Xx|o."});
    ASSERT_EQ(pattern.steps.size(), 4u);
    EXPECT_EQ(pattern.steps[0].kind, StepKind::hit);
    EXPECT_FLOAT_EQ(pattern.steps[0].velocity, 1.0f);
    EXPECT_FLOAT_EQ(pattern.steps[1].velocity, 0.75f);
    EXPECT_FLOAT_EQ(pattern.steps[2].velocity, 0.4f);
    EXPECT_EQ(pattern.steps[3].kind, StepKind::rest);
}

TEST(Pattern, TokensGiveValuesHoldsAndRests) {
    const Pattern offsets = ParsePattern({"test", PatternKind::rootOffsets, 4, "0 - . 12 | -7"});
    ASSERT_EQ(offsets.steps.size(), 5u);
    EXPECT_EQ(offsets.steps[1].kind, StepKind::hold);
    EXPECT_EQ(offsets.steps[2].kind, StepKind::rest);
    EXPECT_EQ(offsets.steps[3].value, 12);
    EXPECT_EQ(offsets.steps[4].value, -7);
    const Pattern melody = ParsePattern({"test", PatternKind::notes, 2, "A4 - C#5"});
    EXPECT_EQ(melody.steps[2].value, 73);
}

TEST(Pattern, UnreadableTokensNameThePatternAndTheToken) {
    try {
        ParsePattern({"broken", PatternKind::rootOffsets, 4, "0 A4"});
        FAIL() << "no exception";
    } catch (const std::invalid_argument& error) {
        EXPECT_NE(std::string(error.what()).find("broken"), std::string::npos);
        EXPECT_NE(std::string(error.what()).find("A4"), std::string::npos);
    }
    EXPECT_THROW(ParsePattern({"drums", PatternKind::drum, 4, "X.y."}), std::invalid_argument);
    EXPECT_THROW(ParsePattern({"empty", PatternKind::drum, 4, ""}), std::invalid_argument);
    EXPECT_THROW(FindPattern("no such pattern"), std::invalid_argument);
}

TEST(Piece, EveryLaneSequencesAndTheBookParses) {
    for (const PatternText& text : PatternBook()) {
        EXPECT_NO_THROW(ParsePattern(text)) << text.name;
    }
    const ChordTimeline chords(ThePiece().chords);
    for (const ChannelStrip& strip : ChannelStrips()) {
        std::vector<Note> notes;
        ASSERT_NO_THROW(notes = SequenceLane(ThePiece(), chords, strip.lane, strip.voicing));
        EXPECT_FALSE(notes.empty()) << "lane " << static_cast<int>(strip.lane);
        for (const Note& note : notes) {
            EXPECT_GE(note.start, 0.0);
            EXPECT_LT(note.start, kPieceSeconds);
        }
    }
}

TEST(Piece, ChordTimelineCoversTheWholeShow) {
    const ChordTimeline chords(ThePiece().chords);
    for (double t = 0.0; t < 196.0; t += 0.25) {
        EXPECT_NE(chords.At(t), nullptr) << t;
    }
    EXPECT_EQ(chords.At(0.0)->chord.root, 9);    // A minor from the start
    EXPECT_EQ(chords.At(199.0)->chord.root, 9);  // and at the end
    EXPECT_THROW(ChordTimeline({{0, 2, "Am Hm", 4}}), std::invalid_argument);
}

Arrangement OneClip(Clip clip, std::string_view progression = "Am", double beatsPerChord = 4) {
    return {{{-1, 200, progression, beatsPerChord}}, {clip}, {}, {}};
}

TEST(Sequencer, PatternsStayOnTheBarGridWhenAClipStartsMidBar) {
    const Arrangement arrangement = OneClip({90, 93, Lane::kick, "four"});
    const std::vector<Note> notes =
        SequenceLane(arrangement, ChordTimeline(arrangement.chords), Lane::kick, {});
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
    const Arrangement arrangement = OneClip({1, 3, Lane::bass, "bass-long"}, "Am F", 2);
    const std::vector<Note> notes =
        SequenceLane(arrangement, ChordTimeline(arrangement.chords), Lane::bass, {28, 0.0f});
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].pitches, std::vector<int>{33});
    EXPECT_DOUBLE_EQ(notes[0].length, 1.0);
    EXPECT_EQ(notes[1].pitches, std::vector<int>{29});
    EXPECT_DOUBLE_EQ(notes[1].start, 2.0);
    EXPECT_DOUBLE_EQ(notes[1].length, 0.875);  // the bar's last sixteenth is a rest
}

TEST(Sequencer, TransposesAndAlternatesPan) {
    const Arrangement arrangement = OneClip({1, 2, Lane::arp, "arp-up", 0.5f, 12});
    const std::vector<Note> notes =
        SequenceLane(arrangement, ChordTimeline(arrangement.chords), Lane::arp, {60, 0.4f});
    ASSERT_EQ(notes.size(), 8u);
    EXPECT_EQ(notes[0].pitches, std::vector<int>{69 + 12});
    EXPECT_EQ(notes[1].pitches, std::vector<int>{72 + 12});
    EXPECT_FLOAT_EQ(notes[0].velocity, 0.5f);
    EXPECT_FLOAT_EQ(notes[0].pan, -0.4f);
    EXPECT_FLOAT_EQ(notes[1].pan, 0.4f);
}

TEST(Sequencer, SustainedChordsLastTheirSpanWithinTheClip) {
    const Arrangement arrangement = OneClip({2, 7, Lane::pad, "sustain"}, "Am F", 4);
    const std::vector<Note> notes =
        SequenceLane(arrangement, ChordTimeline(arrangement.chords), Lane::pad, {55, 0.0f});
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_DOUBLE_EQ(notes[0].start, 2.0);
    EXPECT_DOUBLE_EQ(notes[0].length, 1.0);
    EXPECT_EQ(notes[1].pitches, (std::vector<int>{57, 60, 64}));  // A minor from 3 s
    EXPECT_DOUBLE_EQ(notes[2].length, 2.0);                       // F from 5 s, cut at 7 s
}

TEST(Automation, RampsHoldTheirLastValueAndTheLaterStartWins) {
    const Arrangement arrangement{{},
                                  {},
                                  {},
                                  {{Lane::pad, Param::level, 10, 20, -20, 0},
                                   {Lane::pad, Param::level, 30, 30, -6, -6},
                                   {Lane::pad, Param::level, 15, 16, 5, 5},
                                   {Lane::bass, Param::level, 0, 100, 9, 9}}};
    const Curve curve = CurveFor(arrangement, Lane::pad, Param::level, -3.0f);
    EXPECT_FLOAT_EQ(curve.At(5), -3.0f);
    EXPECT_FLOAT_EQ(curve.At(12.5), -15.0f);
    EXPECT_FLOAT_EQ(curve.At(15.5), 5.0f);
    EXPECT_FLOAT_EQ(curve.At(25), 5.0f);
    EXPECT_FLOAT_EQ(curve.At(30), -6.0f);
    const std::vector<float> gains =
        GainsFromDecibels(CurveFor(arrangement, Lane::bass, Param::level, 0), 1000);
    EXPECT_NEAR(gains[500], std::pow(10.0f, 9.0f / 20.0f), 1e-5);
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

// Counts upward zero crossings of a signal over one second.
template <typename Sample>
int CyclesInOneSecond(Sample sample) {
    int cycles = 0;
    float previous = sample();
    for (long i = 1; i < kSampleRate; ++i) {
        const float current = sample();
        cycles += previous < 0.0f && current >= 0.0f;
        previous = current;
    }
    return cycles;
}

TEST(Oscillator, ShapesRunAtTheirFrequencyWithinFullScale) {
    for (const auto shape :
         {&Oscillator::Sine, &Oscillator::Triangle, &Oscillator::Saw, &Oscillator::Square}) {
        Oscillator oscillator;
        oscillator.SetFrequency(441.0);
        float largest = 0.0f;
        const int cycles = CyclesInOneSecond([&] {
            const float value = (oscillator.*shape)();
            oscillator.Advance();
            largest = std::max(largest, std::fabs(value));
            return value;
        });
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
        EXPECT_TRUE(finite) << "lane " << static_cast<int>(strip.lane);
        EXPECT_EQ(before, 0.0f) << "lane " << static_cast<int>(strip.lane);
        EXPECT_GT(peak, 0.02f) << "lane " << static_cast<int>(strip.lane);
        EXPECT_LT(peak, 3.0f) << "lane " << static_cast<int>(strip.lane);
    }
}

TEST(Effects, EchoesAlternateSidesAtTheDelayTime) {
    StereoBuffer send(SampleAt(1.0)), out(SampleAt(1.0));
    send.left[0] = send.right[0] = 1.0f;
    PingPongDelay{}.Process(send, out);
    EXPECT_GT(EnergyDb(out.left, 0.37, 0.39), EnergyDb(out.right, 0.37, 0.39) + 40.0);
    EXPECT_GT(EnergyDb(out.right, 0.745, 0.765), EnergyDb(out.left, 0.745, 0.765) + 40.0);
    EXPECT_LT(EnergyDb(out.left, 0.0, 0.37), -100.0);
}

TEST(Effects, ReverbTailDecaysAndDiffersBetweenSides) {
    StereoBuffer send(SampleAt(4.0)), out(SampleAt(4.0));
    send.left[0] = 1.0f;
    Reverb reverb;
    reverb.Process(send, out);
    EXPECT_GT(EnergyDb(out.left, 0.1, 0.5), EnergyDb(out.left, 3.0, 3.5) + 20.0);
    EXPECT_NE(out.left[SampleAt(0.3)], out.right[SampleAt(0.3)]);
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
    const DecodedAudio decoded = DecodeMp3Bytes(bytes);
    EXPECT_EQ(static_cast<long>(decoded.left.size()), audio.Frames());
    const Onset onset = SharpestRiseNear(decoded, 1.0, 0.1);
    // Without the gapless information the burst would arrive about 25 ms late (the encoder's
    // delay); a millisecond or two early is the codec's pre-echo.
    EXPECT_NEAR(onset.seconds, 1.0, 0.003);
    EXPECT_GT(onset.riseDb, 20.0);
}

TEST(Mp3Writer, ReportsAnUnwritablePath) {
    try {
        WriteFileAtomically("/nonexistent-folder/out.mp3", {1, 2, 3});
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("/nonexistent-folder/out.mp3"), std::string::npos);
    }
}

}  // namespace
