#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "render/framebuffer.h"
#include "render/landscape.h"
#include "render/landscape_reference.h"
#include "render/landscape_tables.h"
#include "render/landscape_views.h"
#include "support/landscape_fixture.h"

namespace {

// Everything a render may change.
struct RenderResult {
    std::vector<uint32_t> frame;
    std::vector<uint32_t> intermediate;
    float light;
    int8_t slopeBiasX;
    int8_t slopeBiasY;
    const uint8_t* activeHeights;
    const uint32_t* activeColours;
    const PolarTable* activeTable;
};

RenderResult Capture(const Landscape& l) {
    return {std::vector<uint32_t>(frameBuffer, frameBuffer + FRAME_PIXELS),
            std::vector<uint32_t>(l.intermediate.get(), l.intermediate.get() + 640 * 640),
            l.light,
            l.slopeBiasX,
            l.slopeBiasY,
            l.activeHeights,
            l.activeColours,
            l.activeTable};
}

// Fills both targets with noise, so that pixels a renderer should leave alone are checked too.
void Scribble(Landscape& l, uint32_t seed) {
    TestRandom random{seed};
    for (int i = 0; i < FRAME_PIXELS; ++i) {
        frameBuffer[i] = random.Next();
    }
    for (int i = 0; i < 640 * 640; ++i) {
        l.intermediate[i] = random.Next();
    }
}

// Renders the landscape's current state with both renderers from the same start and
// expects the same bytes and fields.
void ExpectSameAsReference(Landscape& l, uint32_t seed) {
    const float light = l.light;
    uint8_t* heights = l.activeHeights;
    uint32_t* colours = l.activeColours;
    PolarTable* table = l.activeTable;

    Scribble(l, seed);
    RenderLandscape(l);
    const RenderResult fast = Capture(l);

    l.light = light;
    l.activeHeights = heights;
    l.activeColours = colours;
    l.activeTable = table;
    l.slopeBiasX = l.slopeBiasY = 0;
    Scribble(l, seed);
    RenderLandscapeReference(l);
    const RenderResult reference = Capture(l);

    EXPECT_EQ(fast.light, reference.light);
    EXPECT_EQ(fast.slopeBiasX, reference.slopeBiasX);
    EXPECT_EQ(fast.slopeBiasY, reference.slopeBiasY);
    EXPECT_EQ(fast.activeHeights, reference.activeHeights);
    EXPECT_EQ(fast.activeColours, reference.activeColours);
    EXPECT_EQ(fast.activeTable, reference.activeTable);
    for (int i = 0; i < FRAME_PIXELS; ++i) {
        ASSERT_EQ(fast.frame[i], reference.frame[i]) << "frame pixel " << i;
    }
    for (size_t i = 0; i < fast.intermediate.size(); ++i) {
        ASSERT_EQ(fast.intermediate[i], reference.intermediate[i]) << "intermediate pixel " << i;
    }
}

class LandscapeOracle : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        landscape = new Landscape;
        LoadTestMaps(*landscape, 7);
    }
    static void TearDownTestSuite() { delete landscape; }
    static Landscape* landscape;
};

Landscape* LandscapeOracle::landscape = nullptr;

TEST_F(LandscapeOracle, ScriptStatesThroughTheWholeShow) {
    Landscape& l = *landscape;
    for (float seconds = 0.0f; seconds <= 196.0f; seconds += 0.75f) {
        SCOPED_TRACE(testing::Message() << seconds << " s");
        SetScriptState(l, seconds);
        ExpectSameAsReference(l, static_cast<uint32_t>(seconds * 100));
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST_F(LandscapeOracle, EveryViewShadeSwayAndMapCombination) {
    Landscape& l = *landscape;
    SetScriptState(l, 100.0f);
    int combination = 0;
    for (uint8_t view : {1, 2, 4, 3, 5, 6, 7}) {
        for (uint8_t shade : {0, 1, 2, 3, 4, 16, 17, 18, 19, 27}) {
            for (uint8_t sway : {0, 1}) {
                for (uint8_t heights : {0, 1}) {
                    SCOPED_TRACE(testing::Message() << "view " << int(view) << " shade " << int(shade)
                                                    << " sway " << int(sway) << " heights " << int(heights));
                    l.viewMode = view;
                    l.shadeFlags = shade;
                    l.swayEnabled = sway;
                    l.swayAmount = 70;
                    l.swayRate = 1.3f;
                    l.swayClock = 14.2f;
                    l.heightSource = heights;
                    l.colourSource = static_cast<uint8_t>(combination % 6);
                    l.clearValue = static_cast<uint8_t>(combination * 37);
                    l.columnShift = combination * 0.01f;
                    ExpectSameAsReference(l, combination);
                    if (HasFatalFailure()) {
                        return;
                    }
                    ++combination;
                }
            }
        }
    }
}

// Any field state at all, within and beyond what the scene writes.
void RandomState(Landscape& l, TestRandom& random) {
    auto unit = [&random](float low, float high) { return low + random.Unit() * (high - low); };
    l.enabled = random.Next() % 8 == 0 ? static_cast<uint8_t>(random.Next() % 3) : 1;
    l.viewMode = static_cast<uint8_t>(random.Next() % 4 == 0 ? random.Next() : 1 + random.Next() % 7);
    l.shadeFlags = static_cast<uint8_t>(random.Next());
    l.pathFlags = static_cast<uint8_t>(random.Next());
    l.heightSource = static_cast<uint8_t>(random.Next() % 3);
    l.colourSource = static_cast<uint8_t>(random.Next() % 8);
    l.shadeMap = random.Next() % 2 ? l.landHeights.get() : l.waterHeights.get();
    l.clearValue = static_cast<uint8_t>(random.Next());
    l.swayEnabled = static_cast<uint8_t>(random.Next() % 3);
    l.swayClock = unit(0, 20);
    l.swayRate = unit(-3, 3);
    l.swayAmount = static_cast<uint8_t>(random.Next());
    l.advanceClock = unit(0, 20);
    l.advanceRate = static_cast<uint16_t>(random.Next());
    l.pathClockX = unit(0, 20);
    l.pathClockY = unit(0, 20);
    l.pathRateX = unit(-4, 4);
    l.pathRateY = unit(-4, 4);
    l.pathPhaseX = unit(-4, 4);
    l.pathPhaseY = unit(-4, 4);
    l.columnShift = unit(-3, 3);
    l.mapOffsetX = static_cast<uint8_t>(random.Next());
    l.mapOffsetY = static_cast<uint8_t>(random.Next());
    l.lightClockX = unit(0, 20);
    l.lightClockY = unit(0, 20);
    l.lightRateX = unit(-6, 6);
    l.lightRateY = unit(-6, 6);
    l.scaleX = unit(-1000, 1000);
    l.scaleY = unit(-1000, 1000);
    const uint16_t rows[] = {640, 640, 480, 401, 1, 0, 1600, 5000};
    l.intermediateRows = rows[random.Next() % 8];
}

TEST_F(LandscapeOracle, RandomFieldStates) {
    Landscape& l = *landscape;
    TestRandom random{2024};
    for (int trial = 0; trial < 150; ++trial) {
        SCOPED_TRACE(testing::Message() << "trial " << trial);
        RandomState(l, random);
        ExpectSameAsReference(l, trial);
        if (HasFatalFailure()) {
            return;
        }
    }
    l.intermediateRows = 640;
}

TEST(LandscapeTables, ReciprocalsDivideExactly) {
    Landscape l;
    for (int d = 0; d < LANDSCAPE_DEPTHS; ++d) {
        for (uint32_t n = 0; n < 65536; ++n) {
            ASSERT_EQ(DivideByDepth(*l.tables, n, d), n / (d + 1)) << n << " / " << d + 1;
        }
    }
}

}  // namespace
