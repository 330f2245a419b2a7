// Decodes the soundtrack the build generated and checks it against the show's script.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "music_decode.h"

namespace {

class MusicFileTest : public testing::Test {
protected:
    static void SetUpTestSuite() { audio = new DecodedAudio(DecodeMp3File(VOXELSHOW_MUSIC_FILE)); }
    static void TearDownTestSuite() { delete audio; }
    static DecodedAudio* audio;
};

DecodedAudio* MusicFileTest::audio = nullptr;

TEST_F(MusicFileTest, LastsTwoHundredSecondsAfterGaplessDecoding) {
    EXPECT_NEAR(audio->Seconds(), 200.0, 0.1);
}

TEST_F(MusicFileTest, PeaksStayBelowMinusOneDecibel) {
    const float peak = PeakLevel(*audio);
    EXPECT_GT(peak, 0.25f) << "the piece is far too quiet";
    EXPECT_LT(peak, std::pow(10.0f, -1.0f / 20.0f));
}

TEST_F(MusicFileTest, BreakUnderTheBlackScreenIsNearSilent) {
    const double before = LoudnessDb(*audio, 70, 80);
    const double during = LoudnessDb(*audio, 80, 90);
    const double after = LoudnessDb(*audio, 90, 100);
    EXPECT_LE(during, before - 20.0);
    EXPECT_LE(during, after - 20.0);
    std::printf("70-80 s %.1f dB, 80-90 s %.1f dB, 90-100 s %.1f dB\n", before, during, after);
}

TEST_F(MusicFileTest, SectionsGrowLouderTowardsTheClimaxAndEndInSilence) {
    const struct {
        double start, end;
        const char* name;
    } sections[] = {{0, 15, "intro"},     {15, 27, "drums and bass"}, {27, 39, "building"},
                    {39, 51, "lift"},     {51, 80, "driving"},        {80, 90, "black screen"},
                    {90, 122, "tunnel"},  {122, 130, "jolt"},         {130, 159, "sway"},
                    {159, 183, "climax"}, {183, 196, "ending"},       {196, 200, "tail"}};
    for (const auto& section : sections) {
        std::printf("%5.0f-%3.0f s %-14s %6.1f dB\n", section.start, section.end, section.name,
                    LoudnessDb(*audio, section.start, section.end));
    }
    const double intro = LoudnessDb(*audio, 0, 15);
    const double texts = LoudnessDb(*audio, 15, 39);
    const double driving = LoudnessDb(*audio, 51, 80);
    const double climax = LoudnessDb(*audio, 159, 183);
    EXPECT_LT(intro, texts - 3.0);
    EXPECT_LT(texts, driving);
    EXPECT_GE(climax, driving - 1.0);
    EXPECT_LT(LoudnessDb(*audio, 196, 200), -80.0);
}

TEST_F(MusicFileTest, EveryCutOfTheShowFallsOnAnOnset) {
    for (const double cut : {15.0, 27.0, 39.0, 51.0, 57.0, 123.0, 147.0, 159.0, 171.0, 183.0}) {
        const Onset onset = SharpestRiseNear(*audio, cut, 0.1);
        EXPECT_NEAR(onset.seconds, cut, 0.030) << "cut at " << cut << " s";
        EXPECT_GT(onset.riseDb, 6.0) << "cut at " << cut << " s";
        std::printf("cut %6.1f s: onset %+5.1f ms, rise %4.1f dB\n", cut, 1000.0 * (onset.seconds - cut),
                    onset.riseDb);
    }
}

}  // namespace
