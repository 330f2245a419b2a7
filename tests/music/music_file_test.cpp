// Decodes the soundtrack the build generated and checks it against the show's script.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "music_decode.h"

namespace {

class MusicFileTest : public testing::Test {
protected:
    static void SetUpTestSuite() { audio = new DecodedAudio(DecodeMp3File(VOXELSHOW_MUSIC_FILE)); }
    static void TearDownTestSuite() { delete audio; }
    static double Loudness(double start, double end) { return LoudnessDb(*audio, start, end); }
    static DecodedAudio* audio;
};

DecodedAudio* MusicFileTest::audio = nullptr;

TEST_F(MusicFileTest, LastsTwoHundredSecondsWithPeaksBelowMinusOneDecibel) {
    EXPECT_NEAR(audio->Seconds(), 200.0, 0.1);
    const auto louder = [](float a, float b) { return std::fabs(a) < std::fabs(b); };
    const float peak = std::fabs(*std::max_element(audio->samples.begin(), audio->samples.end(), louder));
    EXPECT_GT(peak, 0.25f) << "the piece is far too quiet";
    EXPECT_LT(peak, std::pow(10.0f, -1.0f / 20.0f));
}

TEST_F(MusicFileTest, SectionsGrowLouderTowardsTheClimaxAroundANearSilentBreak) {
    const double during = Loudness(80, 90);  // the break under the black screen
    EXPECT_LE(during, Loudness(70, 80) - 20.0);
    EXPECT_LE(during, Loudness(90, 100) - 20.0);
    const double intro = Loudness(0, 15), texts = Loudness(15, 39);
    const double driving = Loudness(51, 80), climax = Loudness(159, 183);
    EXPECT_LT(intro, texts - 3.0);
    EXPECT_LT(texts, driving);
    EXPECT_GE(climax, driving - 1.0);
    EXPECT_LT(Loudness(196, 200), -80.0);  // ends in silence
}

// Each cut is heard as an accent within 5 ms of it. The one at 123 s follows the jolt's crash and
// impact, which ring loud into it; the mix dips before it so that it rises 12 dB too.
TEST_F(MusicFileTest, EveryCutOfTheShowFallsOnAnOnset) {
    for (const double cut : {15.0, 27.0, 39.0, 51.0, 57.0, 123.0, 147.0, 159.0, 171.0, 183.0}) {
        const Onset onset = SharpestRiseNear(*audio, cut, 0.1);
        EXPECT_NEAR(onset.seconds, cut, 0.005) << "cut at " << cut << " s";
        EXPECT_GT(onset.riseDb, cut == 123.0 ? 12.0 : 10.0) << "cut at " << cut << " s";
    }
}

}  // namespace
