#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "render/framebuffer.h"
#include "render/random.h"
#include "render/wave_filter.h"
#include "render/wave_filter_reference.h"
#include "support/draw_hardware_cases.h"
#include "support/landscape_fixture.h"

namespace {

// Green and blue name the column (x + 1), red hashes row and column, the fourth byte is set:
// any move of a channel shows.
std::vector<uint32_t> Frame() {
    return std::vector<uint32_t>(frameBuffer, frameBuffer + FRAME_PIXELS);
}

std::vector<uint32_t> FillColumnCodedFrame() {
    for (int i = 0; i < FRAME_PIXELS; ++i) {
        const uint32_t x = i % FRAME_WIDTH, y = i / FRAME_WIDTH;
        frameBuffer[i] = 0xA5000000u | (((x * 7 + y * 13) & 0xFF) << 16) | (x + 1);
    }
    return Frame();
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

// Disabled, the filter does nothing, not even the snapshot that nothing would read; with an
// amplitude of zero or less it snapshots the frame and shifts no row but clears the fourth byte,
// advances the phase and draws one number per row.
TEST(WaveFilter, DisabledOrNonPositiveAmplitudeMovesNoPixel) {
    for (const auto& [enabled, amplitude] :
         {std::pair<uint8_t, int16_t>{2, 50}, {1, 0}, {1, -1}, {1, -300}}) {
        SCOPED_TRACE(testing::Message() << "enabled " << int(enabled) << " amplitude " << amplitude);
        const bool on = enabled == 1;
        const std::vector<uint32_t> before = FillColumnCodedFrame();
        WaveFilter wave = MakeWave(enabled, amplitude, 0.25f, 3.0f);
        SeedRandom(9);
        ApplyWave(wave);
        for (int i = 0; i < FRAME_PIXELS; ++i) {
            ASSERT_EQ(frameBuffer[i], on ? before[i] & 0x00FFFFFFu : before[i]) << i;
        }
        const std::vector<uint32_t> snapshot = on ? before : std::vector<uint32_t>(FRAME_PIXELS, 0);
        EXPECT_TRUE(std::equal(snapshot.begin(), snapshot.end(), wave.copy.get()));
        EXPECT_EQ(wave.phase, on ? 5.0f : 0.25f);
        uint32_t state = 9;
        for (int y = 0; on && y < FRAME_HEIGHT; ++y) {
            state = state * 214013u + 2531011u;
        }
        EXPECT_EQ(randomState, state);
    }
}

TEST(WaveFilter, ShiftsOfAmplitudeTenLieBetweenMinusTenAndTwenty) {
    const std::vector<uint32_t> before = FillColumnCodedFrame();
    WaveFilter wave = MakeWave(1, 10, 0.07f, 3.0f);
    SeedRandom(1234);
    ApplyWave(wave);
    int lowest = 1000, highest = -1000;
    for (int y = 0; y < FRAME_HEIGHT; ++y) {
        // Column 320 is always reached; its green and blue name the source column, its red stays
        // its own and its fourth byte is cleared.
        const uint32_t pixel = frameBuffer[y * FRAME_WIDTH + 320];
        const int shift = 320 - (static_cast<int>(pixel & 0xFFFFu) - 1);
        ASSERT_EQ(pixel >> 16, (before[y * FRAME_WIDTH + 320] >> 16) & 0xFFu) << y;
        lowest = std::min(lowest, shift);
        highest = std::max(highest, shift);
    }
    EXPECT_GE(lowest, -10);
    EXPECT_LE(highest, 20);
    EXPECT_LT(lowest, 0);
    EXPECT_GT(highest, 10);
}

TEST(WaveFilter, ShiftsOf640OrMoreAndOversizedGeometryLeaveTheFrame) {
    const std::vector<uint32_t> before = FillColumnCodedFrame();
    WaveFilter wave = MakeWave(1, 700, 1.5707964f / 20.0f, 0.0f);  // sine +1: shifts 700 to 1400
    ApplyWave(wave);
    EXPECT_EQ(Frame(), before);
    WaveFilter tall = MakeWave(1, 16, 0.4f, 2.0f);
    tall.height = 481;
    ApplyWave(tall);
    WaveFilter noCopy;
    noCopy.enabled = 1;
    ApplyWave(noCopy);
    EXPECT_EQ(Frame(), before);
    EXPECT_EQ(tall.phase, 0.4f);
    EXPECT_EQ(SkipWave(tall), 0u);
    EXPECT_EQ(tall.phase, 0.4f);
}

// On every hardware, the rows shifted in any order by any thread, the jitter still drawn in
// row order.
TEST(WaveFilter, MatchesTheReferenceOnRandomFramesAndSettings) {
    TestRandom random{42};
    for (int trial = 0; trial < 40; ++trial) {
        SCOPED_TRACE(trial);
        for (int i = 0; i < FRAME_PIXELS; ++i) {
            frameBuffer[i] = random.Next() * 2654435761u;
        }
        const std::vector<uint32_t> input = Frame();
        const auto amplitude = static_cast<int16_t>(static_cast<int>(random.Next() % 1400) - 100);
        const float phase = random.Unit() * 20.0f - 10.0f, frequency = random.Unit() * 8.0f;
        const uint8_t enabled = random.Next() % 5 == 0 ? 0 : 1;
        const uint32_t seed = random.Next();
        // Every fourth trial a picture of another shape, as many pixels as the frame at most.
        const int width = trial % 4 == 3 ? 1 + static_cast<int>(random.Next() % 1000) : FRAME_WIDTH;
        const int height =
            trial % 4 == 3 ? static_cast<int>(random.Next() % (FRAME_PIXELS / width + 1)) : FRAME_HEIGHT;
        auto shaped = [&] {
            WaveFilter wave = MakeWave(enabled, amplitude, phase, frequency);
            wave.width = width;
            wave.height = height;
            return wave;
        };
        WaveFilter reference = shaped();
        SeedRandom(seed);
        ApplyWaveReference(reference);
        const std::vector<uint32_t> referenceFrame = Frame();
        const uint32_t referenceState = randomState;
        for (const DrawHardwareCase& hardware : EveryDrawHardware()) {
            WaveFilter fast = shaped();
            fast.hardware = hardware.hardware;
            std::copy(input.begin(), input.end(), frameBuffer);
            SeedRandom(seed);
            ApplyWave(fast);
            ASSERT_EQ(Frame(), referenceFrame) << hardware.name;
            EXPECT_EQ(randomState, referenceState) << hardware.name;
            EXPECT_EQ(fast.phase, reference.phase) << hardware.name;
            if (enabled == 1) {  // a disabled pass takes no snapshot, the reference's does
                EXPECT_TRUE(std::equal(fast.copy.get(), fast.copy.get() + FRAME_PIXELS, reference.copy.get()))
                    << hardware.name;
            }
        }
        // Skipping the pass leaves the filter and the generator as drawing it does.
        WaveFilter skipped = shaped();
        SeedRandom(seed);
        SkipRandom(SkipWave(skipped));
        EXPECT_EQ(randomState, referenceState);
        EXPECT_EQ(skipped.phase, reference.phase);
    }
}

// Skipping n draws at once ends where n single draws do, for every bit of a 64-bit count; the
// generator's period is 2^32 (full period), so counts past it wrap.
TEST(RandomGenerator, SkippingEqualsDrawingOneByOne) {
    for (uint32_t seed : {0u, 1u, 0xDEADBEEFu}) {
        SCOPED_TRACE(seed);
        for (uint64_t draws : {0ull, 1ull, 2ull, 480ull, 481ull, 1ull << 21, (1ull << 21) + 12345}) {
            SeedRandom(seed);
            for (uint64_t i = 0; i < draws; ++i) {
                NextRandom();
            }
            const uint32_t drawn = randomState;
            SeedRandom(seed);
            SkipRandom(draws);
            EXPECT_EQ(randomState, drawn) << draws << " draws";
            SeedRandom(seed);
            SkipRandom(draws + (1ull << 32));
            EXPECT_EQ(randomState, drawn) << draws << " draws and one period";
            SeedRandom(seed);
            SkipRandom(draws + (0xFFFFull << 32));
            EXPECT_EQ(randomState, drawn) << draws << " draws and 65535 periods";
        }
    }
    SeedRandom(7);
    SkipRandom(1ull << 31);  // half the period lands elsewhere
    EXPECT_NE(randomState, 7u);
}

}  // namespace
