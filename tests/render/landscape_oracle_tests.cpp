#include <gtest/gtest.h>

#include <vector>

#include "anim/demo_clock.h"
#include "anim/evaluation.h"
#include "render/framebuffer.h"
#include "render/landscape.h"
#include "render/landscape_reference.h"
#include "render/landscape_remap.h"
#include "render/landscape_tables.h"
#include "render/layer.h"
#include "render/wave_filter.h"
#include "script/builtin_script.h"
#include "script/scene_script.h"
#include "support/draw_hardware_cases.h"
#include "support/landscape_fixture.h"

namespace {

// Everything a render may change.
struct RenderResult {
    std::vector<uint32_t> frame, intermediate;
    float light;
    int8_t slopeBiasX, slopeBiasY;
    const void *activeHeights, *activeColours, *activeTable;
    bool operator==(const RenderResult&) const = default;
};

// The intermediate rows a frame's remap reads: in a polar view only those are ever shown, so
// the fast renderer leaves the rest as they were. Other views leave the whole of it alone.
int ShownIntermediatePixels(const Landscape& l) {
    if (l.viewMode & VIEW_RADIAL) {
        return IntermediateRowsRead(l, ViewKind::Radial) * INTERMEDIATE_COLUMNS;
    }
    if (l.viewMode & VIEW_TUNNEL) {
        return IntermediateRowsRead(l, ViewKind::Tunnel) * INTERMEDIATE_COLUMNS;
    }
    return INTERMEDIATE_PIXELS;
}

// Renders from a known start: both targets filled with noise (so pixels a renderer must leave
// alone are compared too) and the render's own state fields as the caller left them.
RenderResult RenderFrom(Landscape& l, void (*render)(Landscape&), uint32_t seed) {
    const float light = l.light;
    uint8_t* heights = l.activeHeights;
    uint32_t* colours = l.activeColours;
    PolarTable* table = l.activeTable;
    TestRandom random{seed};
    std::generate(frameBuffer, frameBuffer + FRAME_PIXELS, [&] { return random.Next(); });
    std::generate(l.intermediate.get(), l.intermediate.get() + INTERMEDIATE_PIXELS,
                  [&] { return random.Next(); });
    render(l);
    RenderResult result{{frameBuffer, frameBuffer + FRAME_PIXELS},
                        {l.intermediate.get(), l.intermediate.get() + ShownIntermediatePixels(l)},
                        l.light,
                        l.slopeBiasX,
                        l.slopeBiasY,
                        l.activeHeights,
                        l.activeColours,
                        l.activeTable};
    l.light = light;
    l.activeHeights = heights;
    l.activeColours = colours;
    l.activeTable = table;
    return result;
}

// The reference renderer and the fast one on every hardware, from the same start, give the
// same bytes and fields.
void ExpectSameAsReference(Landscape& l, uint32_t seed) {
    const RenderResult reference = RenderFrom(l, RenderLandscapeReference, seed);
    const DrawHardware shown = l.hardware;
    for (const DrawHardwareCase& hardware : EveryDrawHardware()) {
        l.hardware = hardware.hardware;
        const RenderResult fast = RenderFrom(l, RenderLandscape, seed);
        l.hardware = shown;
        ASSERT_TRUE(fast == reference)
            << hardware.name << ": frame pixels differ: " << (fast.frame != reference.frame)
            << ", intermediate differs: " << (fast.intermediate != reference.intermediate) << ", light "
            << fast.light << " against " << reference.light;
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

TEST_F(LandscapeOracle, EveryViewShadeSwayAndMapCombination) {
    Landscape& l = *landscape;
    SetScriptState(l, 100.0f);
    l.swayAmount = 70;
    l.swayRate = 1.3f;
    l.swayClock = 14.2f;
    int combination = 0;
    for (uint8_t view : {1, 2, 4, 3, 5, 6, 7}) {
        for (uint8_t shade : {0, 1, 2, 3, 4, 16, 17, 18, 19, 27}) {
            for (int sway = 0; sway < 2; ++sway) {
                for (uint8_t heights = 0; heights < 2 && !HasFatalFailure(); ++heights, ++combination) {
                    SCOPED_TRACE(testing::Message() << "view " << int(view) << " shade " << int(shade)
                                                    << " sway " << sway << " heights " << int(heights));
                    l.viewMode = view;
                    l.shadeFlags = shade;
                    l.swayEnabled = static_cast<uint8_t>(sway);
                    l.heightSource = heights;
                    l.colourSource = static_cast<uint8_t>(combination % 6);
                    l.clearValue = static_cast<uint8_t>(combination * 37);
                    l.columnShift = combination * 0.01f;
                    ExpectSameAsReference(l, combination);
                }
            }
        }
    }
}

// Any field state at all, within and beyond what the scene writes.
void RandomState(Landscape& l, TestRandom& random) {
    auto byte = [&random] { return static_cast<uint8_t>(random.Next()); };
    l.enabled = random.Next() % 8 == 0 ? byte() % 3 : 1;
    l.viewMode = random.Next() % 4 == 0 ? byte() : 1 + byte() % 7;
    for (uint8_t* field :
         {&l.shadeFlags, &l.pathFlags, &l.clearValue, &l.swayAmount, &l.mapOffsetX, &l.mapOffsetY}) {
        *field = byte();
    }
    l.heightSource = byte() % 3;
    l.colourSource = byte() % 8;
    l.swayEnabled = byte() % 3;
    l.shadeMap = random.Next() % 2 ? l.landHeights.get() : l.waterHeights.get();
    l.advanceRate = static_cast<uint16_t>(random.Next());
    for (float* clock :
         {&l.swayClock, &l.advanceClock, &l.pathClockX, &l.pathClockY, &l.lightClockX, &l.lightClockY}) {
        *clock = random.Unit() * 20.0f;
    }
    for (float* rate : {&l.swayRate, &l.pathRateX, &l.pathRateY, &l.pathPhaseX, &l.pathPhaseY, &l.columnShift,
                        &l.lightRateX, &l.lightRateY}) {
        *rate = random.Unit() * 12.0f - 6.0f;
    }
    l.scaleX = random.Unit() * 2000.0f - 1000.0f;
    l.scaleY = random.Unit() * 2000.0f - 1000.0f;
    const uint16_t rows[] = {640, 640, 480, 401, 1, 0, 1600, 5000};
    l.intermediateRows = rows[random.Next() % 8];
}

TEST_F(LandscapeOracle, RandomFieldStates) {
    TestRandom random{2024};
    for (int trial = 0; trial < 150 && !HasFatalFailure(); ++trial) {
        SCOPED_TRACE(testing::Message() << "trial " << trial);
        RandomState(*landscape, random);
        ExpectSameAsReference(*landscape, trial);
    }
    landscape->intermediateRows = 640;
}

TEST(LandscapeScript, TheSceneScriptsOwnStates) {
    // The show's tracks on a fresh landscape, evaluated pass by pass on the 60 fps fixed-step clock.
    Landscape landscape;
    LoadTestMaps(landscape, 5);
    WaveFilter wave;
    LayerList layers;
    for (int i = 0; i < 12; ++i) {
        AddLayer(layers, BLEND_ADD);
    }
    VariableList tracks;
    RegisterSceneScript(tracks, BuiltInScript(), {landscape, wave, layers}, TypeNames::Quiet);
    for (uint32_t pass = 0; pass <= 196 * 60 && !HasFatalFailure(); ++pass) {
        const auto elapsed = static_cast<float>(pass * 1000 / 60);
        demoTime = elapsed / 1000.0f;
        demoTimeTens = elapsed / 10000.0f;
        UpdateVariables(tracks, demoTime);
        if (pass % 45 == 0) {
            SCOPED_TRACE(testing::Message() << "pass " << pass);
            ExpectSameAsReference(landscape, pass);
        }
    }
}

TEST(LandscapeTables, ReciprocalsDivideExactly) {
    Landscape l;
    for (int d = 0; d < LANDSCAPE_DEPTHS; ++d) {
        for (uint32_t n = 0; n < 65536; ++n) {
            ASSERT_EQ(DivideByDepth(*l.tables, n, d), n / (d + 1)) << n << " / " << d + 1;
            if (n < (1u << 14)) {
                ASSERT_EQ(DivideByDepthInSingle(*l.tables, n, d), n / (d + 1)) << n << " / " << d + 1;
            }
        }
    }
}

}  // namespace
