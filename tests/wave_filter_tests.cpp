#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "render/framebuffer.h"
#include "render/random.h"
#include "render/wave_filter.h"
#include "render/wave_filter_reference.h"
#include "support/landscape_fixture.h"

namespace {

// A frame whose green and blue name the column (x + 1), whose red is a hash of the row and
// column, and whose fourth byte is set, so that any move of a channel shows.
void FillColumnCodedFrame() {
    for (int y = 0; y < FRAME_HEIGHT; ++y) {
        for (int x = 0; x < FRAME_WIDTH; ++x) {
            const uint32_t red = (x * 7 + y * 13) & 0xFF;
            frameBuffer[y * FRAME_WIDTH + x] = 0xA5000000u | (red << 16) | static_cast<uint32_t>(x + 1);
        }
    }
}

std::vector<uint32_t> SaveFrame() {
    return std::vector<uint32_t>(frameBuffer, frameBuffer + FRAME_PIXELS);
}

WaveFilter MakeWave(uint8_t enabled, int16_t amplitude, float phase, float frequency) {
    WaveFilter wave;
    wave.copy = std::make_unique<uint32_t[]>(FRAME_PIXELS);
    wave.enabled = enabled;
    wave.amplitude = amplitude;
    wave.phase = phase;
    wave.frequency = frequency;
    return wave;
}

// The row as it must look after a shift: pixels reached by a shifted source take its green
// and blue and keep their own red, the others keep all four bytes.
void ExpectRowShifted(const std::vector<uint32_t>& before, int y, int shift) {
    for (int t = 0; t < FRAME_WIDTH; ++t) {
        const uint32_t original = before[y * FRAME_WIDTH + t];
        const int x = t - shift;
        const uint32_t expected = (x >= 0 && x < FRAME_WIDTH)
                                      ? (original & 0x00FF0000u) | (before[y * FRAME_WIDTH + x] & 0xFFFFu)
                                      : original;
        ASSERT_EQ(frameBuffer[y * FRAME_WIDTH + t], expected)
            << "row " << y << " column " << t << " shift " << shift;
    }
}

TEST(WaveFilter, DisabledTakesTheSnapshotAndChangesNothingElse) {
    FillColumnCodedFrame();
    const std::vector<uint32_t> before = SaveFrame();
    WaveFilter wave = MakeWave(2, 50, 0.3f, 3.0f);
    SeedRandom(5);
    ApplyWave(wave);
    EXPECT_EQ(SaveFrame(), before);
    EXPECT_EQ(wave.phase, 0.3f);
    EXPECT_EQ(randomState, 5u);
    EXPECT_EQ(std::vector<uint32_t>(wave.copy.get(), wave.copy.get() + FRAME_PIXELS), before);
}

TEST(WaveFilter, ZeroAmplitudeKeepsPixelsButClearsTheFourthByteAndDrawsPerRow) {
    FillColumnCodedFrame();
    const std::vector<uint32_t> before = SaveFrame();
    WaveFilter wave = MakeWave(1, 0, 0.25f, 3.0f);
    SeedRandom(9);
    ApplyWave(wave);
    for (int i = 0; i < FRAME_PIXELS; ++i) {
        ASSERT_EQ(frameBuffer[i], before[i] & 0x00FFFFFFu) << i;
    }
    EXPECT_EQ(wave.phase, 0.25f * 20.0f);
    uint32_t expectedState = 9;
    for (int y = 0; y < FRAME_HEIGHT; ++y) {
        expectedState = expectedState * 214013u + 2531011u;
    }
    EXPECT_EQ(randomState, expectedState);
}

TEST(WaveFilter, NegativeAmplitudeCountsAsZero) {
    FillColumnCodedFrame();
    const std::vector<uint32_t> before = SaveFrame();
    WaveFilter wave = MakeWave(1, -1, 0.25f, 3.0f);
    ApplyWave(wave);
    for (int i = 0; i < FRAME_PIXELS; ++i) {
        ASSERT_EQ(frameBuffer[i], before[i] & 0x00FFFFFFu) << i;
    }
}

TEST(WaveFilter, ShiftsOfAmplitudeTenLieBetweenMinusTenAndTwenty) {
    FillColumnCodedFrame();
    WaveFilter wave = MakeWave(1, 10, 0.07f, 3.0f);
    SeedRandom(1234);
    ApplyWave(wave);
    int lowest = 1000;
    int highest = -1000;
    for (int y = 0; y < FRAME_HEIGHT; ++y) {
        // Column 320 is always reached; its green and blue name the source column.
        const int source = static_cast<int>(frameBuffer[y * FRAME_WIDTH + 320] & 0xFFFFu) - 1;
        const int shift = 320 - source;
        lowest = std::min(lowest, shift);
        highest = std::max(highest, shift);
    }
    EXPECT_GE(lowest, -10);
    EXPECT_LE(highest, 20);
    EXPECT_LT(lowest, 0);    // the sine part swings both ways over three periods
    EXPECT_GT(highest, 10);  // and the jitter adds up to ten on top
}

TEST(WaveFilter, RowsFollowTheSinePlusReplayedJitter) {
    // Frequency 0 makes the sine part the same on every row: phase x 20 = -pi/2 gives -1.
    FillColumnCodedFrame();
    const std::vector<uint32_t> before = SaveFrame();
    const int16_t amplitude = 1000;
    WaveFilter wave = MakeWave(1, amplitude, -1.5707964f / 20.0f, 0.0f);
    ASSERT_EQ(static_cast<float>(std::sin(static_cast<double>(wave.phase * 20.0f))), -1.0f);
    SeedRandom(77);
    ApplyWave(wave);
    SeedRandom(77);
    int untouchedRows = 0;
    for (int y = 0; y < FRAME_HEIGHT; ++y) {
        const int shift = -amplitude + NextRandom() % (amplitude + 1);
        untouchedRows += shift <= -FRAME_WIDTH;
        ExpectRowShifted(before, y, shift);
    }
    EXPECT_GT(untouchedRows, 0);  // shifts of -640 or less leave their rows as they were
}

TEST(WaveFilter, ShiftsOf640OrMoreLeaveEveryRowUntouched) {
    FillColumnCodedFrame();
    const std::vector<uint32_t> before = SaveFrame();
    WaveFilter wave = MakeWave(1, 700, 1.5707964f / 20.0f, 0.0f);
    ApplyWave(wave);
    EXPECT_EQ(SaveFrame(), before);
}

TEST(WaveFilter, RowsReadTheSnapshotNotEachOther) {
    FillColumnCodedFrame();
    const std::vector<uint32_t> before = SaveFrame();
    WaveFilter wave = MakeWave(1, 64, 0.4f, 2.0f);
    SeedRandom(3);
    ApplyWave(wave);
    EXPECT_EQ(std::vector<uint32_t>(wave.copy.get(), wave.copy.get() + FRAME_PIXELS), before);
}

TEST(WaveFilter, GeometryBeyondTheFramebufferIsLeftAlone) {
    FillColumnCodedFrame();
    const std::vector<uint32_t> before = SaveFrame();
    WaveFilter wave = MakeWave(1, 16, 0.4f, 2.0f);
    wave.height = 481;
    ApplyWave(wave);
    EXPECT_EQ(SaveFrame(), before);
    EXPECT_EQ(wave.phase, 0.4f);
    WaveFilter noCopy;
    noCopy.enabled = 1;
    ApplyWave(noCopy);
    EXPECT_EQ(SaveFrame(), before);
}

TEST(WaveFilter, MatchesTheReferenceOnRandomFramesAndSettings) {
    TestRandom random{42};
    for (int trial = 0; trial < 60; ++trial) {
        SCOPED_TRACE(trial);
        for (int i = 0; i < FRAME_PIXELS; ++i) {
            frameBuffer[i] = random.Next() * 2654435761u;
        }
        const std::vector<uint32_t> input = SaveFrame();
        const int16_t amplitude = static_cast<int16_t>(static_cast<int>(random.Next() % 1400) - 100);
        const float phase = random.Unit() * 20.0f - 10.0f;
        const float frequency = random.Unit() * 8.0f;
        const uint8_t enabled = random.Next() % 5 == 0 ? 0 : 1;
        const uint32_t seed = random.Next();

        WaveFilter fast = MakeWave(enabled, amplitude, phase, frequency);
        SeedRandom(seed);
        ApplyWave(fast);
        const std::vector<uint32_t> fastFrame = SaveFrame();
        const uint32_t fastState = randomState;

        std::copy(input.begin(), input.end(), frameBuffer);
        WaveFilter reference = MakeWave(enabled, amplitude, phase, frequency);
        SeedRandom(seed);
        ApplyWaveReference(reference);

        ASSERT_EQ(fastFrame, SaveFrame());
        EXPECT_EQ(fastState, randomState);
        EXPECT_EQ(fast.phase, reference.phase);
        EXPECT_EQ(0, std::memcmp(fast.copy.get(), reference.copy.get(), FRAME_PIXELS * sizeof(uint32_t)));
    }
}

}  // namespace
