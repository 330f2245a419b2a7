#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "render/framebuffer.h"
#include "render/landscape.h"
#include "render/landscape_frame.h"
#include "render/landscape_reference.h"
#include "render/landscape_views.h"
#include "support/landscape_fixture.h"

namespace {

using RenderFunction = void (*)(Landscape&);

// Each behaviour is checked on the renderer the show runs and on the reference one.
class LandscapeBehaviour : public ::testing::TestWithParam<RenderFunction> {
protected:
    void SetUp() override {
        LoadTestMaps(landscape, 3);
        // A still camera at map cell (0, 0): linear paths at scale 0, no advance, no offsets.
        landscape.enabled = 1;
        landscape.viewMode = VIEW_PERSPECTIVE;
        landscape.shadeFlags = 0;
        landscape.pathFlags = 0;
        landscape.colourSource = 2;
        landscape.heightSource = 0;
    }
    void Render() { GetParam()(landscape); }
    void FillHeights(uint8_t h) { std::memset(landscape.landHeights.get(), h, MAP_CELLS); }
    uint8_t& Height(int x, int y) { return landscape.landHeights[y * 256 + x]; }
    uint32_t Texel(int x, int y) const { return landscape.colourMaps[2][y * 256 + x]; }
    static uint32_t Pixel(int row, int column) { return frameBuffer[row * FRAME_WIDTH + column]; }
    uint32_t Intermediate(int row, int column) const { return landscape.intermediate[row * 256 + column]; }

    Landscape landscape;
};

// red, green and blue of a texel times v / 256, truncated; the fourth byte cleared.
uint32_t Scaled(uint32_t texel, uint32_t v) {
    uint32_t result = 0;
    for (int shift : {0, 8, 16}) {
        result |= ((((texel >> shift) & 0xFFu) * v) / 256u) << shift;
    }
    return result;
}

void FillFrame(uint32_t value) {
    std::fill(frameBuffer, frameBuffer + FRAME_PIXELS, value);
}

TEST_P(LandscapeBehaviour, DisabledDrawsNothingButStillUpdatesBiasesAndMaps) {
    landscape.enabled = 2;
    landscape.shadeFlags = SHADE_FILL;
    landscape.clearValue = 0x44;
    landscape.lightRateX = 1.0f;
    landscape.lightClockX = 0.0f;
    landscape.scaleX = 100.0f;
    landscape.heightSource = 1;
    landscape.colourSource = 4;
    FillFrame(0x12345678u);
    landscape.intermediate[1000] = 0x0BADF00Du;
    Render();
    EXPECT_EQ(Pixel(479, 320), 0x12345678u);
    EXPECT_EQ(Pixel(0, 0), 0x12345678u);
    EXPECT_EQ(landscape.intermediate[1000], 0x0BADF00Du);
    EXPECT_EQ(landscape.slopeBiasX, 50);
    EXPECT_EQ(landscape.activeHeights, landscape.waterHeights.get());
    EXPECT_EQ(landscape.activeColours, landscape.colourMaps[4].get());
}

TEST_P(LandscapeBehaviour, OutOfRangeSourcesKeepThePreviousChoice) {
    landscape.heightSource = 1;
    landscape.colourSource = 5;
    Render();
    landscape.heightSource = 2;
    landscape.colourSource = 6;
    Render();
    EXPECT_EQ(landscape.activeHeights, landscape.waterHeights.get());
    EXPECT_EQ(landscape.activeColours, landscape.colourMaps[5].get());
    landscape.heightSource = 0;
    landscape.colourSource = 255;
    Render();
    EXPECT_EQ(landscape.activeHeights, landscape.landHeights.get());
    EXPECT_EQ(landscape.activeColours, landscape.colourMaps[5].get());
}

TEST_P(LandscapeBehaviour, NoColourMapChosenYetDrawsNothing) {
    Landscape fresh;
    fresh.enabled = 1;
    fresh.viewMode = VIEW_PERSPECTIVE;
    fresh.colourSource = 6;
    FillFrame(0x01020304u);
    GetParam()(fresh);
    EXPECT_EQ(fresh.activeColours, nullptr);
    EXPECT_EQ(Pixel(479, 0), 0x01020304u);
}

TEST_P(LandscapeBehaviour, ViewModeWithoutViewBitsDrawsNothing) {
    for (uint8_t mode : {0, 8, 0xF8}) {
        landscape.viewMode = mode;
        landscape.lightRateY = 1.0f;
        landscape.lightClockY = 1.5707964f;
        landscape.scaleY = 20.0f;
        FillFrame(0xCAFEu);
        Render();
        EXPECT_EQ(Pixel(479, 320), 0xCAFEu) << int(mode);
        EXPECT_EQ(landscape.slopeBiasY, 10) << int(mode);
    }
}

// A black flat map with one full-height cell: only the samples that read that cell show.
// Returns the screen row at which the cell's sample at depth d is drawn (one below its row).
int PlaceSpike(Landscape& landscape, int x, int y, int d) {
    std::memset(landscape.landHeights.get(), 0, MAP_CELLS);
    landscape.landHeights[y * 256 + x] = 255;
    return PerspectiveRow(255, static_cast<uint8_t>(d)) + 1;
}

TEST_P(LandscapeBehaviour, Column320LooksStraightAheadAtEveryDepth) {
    for (int d : {1, 50, 100, 200, 254}) {
        SCOPED_TRACE(d);
        const int cellY = (256 - d) & 255;
        const int row = PlaceSpike(landscape, 0, cellY, d);
        Render();
        EXPECT_EQ(Pixel(row, 320), Scaled(Texel(0, cellY), 255));
        EXPECT_EQ(Pixel(row, 319), 0u);  // column 319 reads map X 255 at this depth
    }
}

TEST_P(LandscapeBehaviour, Column0ReadsMapX96AtDepth128) {
    const int row = PlaceSpike(landscape, 96, 128, 128);
    Render();
    EXPECT_EQ(Pixel(row, 0), Scaled(Texel(96, 128), 255));
    EXPECT_EQ(Pixel(row, 2), 0u);
}

TEST_P(LandscapeBehaviour, MapCoordinatesWrap) {
    // Map offset 250 plus a lateral spread of +10 cells (column 340 at depth 128) reads X 4.
    landscape.mapOffsetX = 250;
    const int row = PlaceSpike(landscape, 4, 128, 128);
    Render();
    EXPECT_EQ(Pixel(row, 340), Scaled(Texel(4, 128), 255));
}

TEST_P(LandscapeBehaviour, FadeHalvesTheBrightnessAtDepth128) {
    landscape.shadeFlags = SHADE_FADE;
    const int row = PlaceSpike(landscape, 0, 128, 128);
    Render();
    EXPECT_EQ(Pixel(row, 320), Scaled(Texel(0, 128), 127));  // trunc(0.5 x 255)
}

TEST_P(LandscapeBehaviour, OcclusionLineFillsFromTheBottomRowUpward) {
    // Flat ground at height 200: the sample at depth d lies on row 2272 / (d + 1).
    FillHeights(200);
    landscape.shadeFlags = SHADE_FILL;
    landscape.clearValue = 0x77;
    Render();
    // d = 4 (row 454) is the first sample above the bottom line and fills rows 455 to 479.
    for (int row = 455; row <= 479; ++row) {
        ASSERT_EQ(Pixel(row, 320), Scaled(Texel(0, 252), 200)) << row;
    }
    // d = 5 (row 378) fills rows 379 to 454.
    EXPECT_EQ(Pixel(454, 320), Scaled(Texel(0, 251), 200));
    EXPECT_EQ(Pixel(379, 320), Scaled(Texel(0, 251), 200));
    // d = 251 lies on row 9 like d = 250 and draws nothing; d = 252 (row 8) draws row 9.
    EXPECT_EQ(Pixel(9, 320), Scaled(Texel(0, 4), 200));
    // The farthest sample (d = 254, row 8) leaves rows 0 to 8 with the fill.
    EXPECT_EQ(Pixel(8, 320), 0x77777777u);
    EXPECT_EQ(Pixel(0, 320), 0x77777777u);
}

TEST_P(LandscapeBehaviour, FillValueFollowsFadeAndFillFlags) {
    FillHeights(200);
    landscape.clearValue = 0x5A;
    for (uint8_t flags : {27, 2, 16, 18, 1, 4, 0, 8}) {
        landscape.shadeFlags = flags;
        FillFrame(0xFFFFFFFFu);
        Render();
        const uint32_t expected = (flags & 0x12) ? 0x5A5A5A5Au : 0u;
        EXPECT_EQ(Pixel(0, 100), expected) << int(flags);
    }
}

TEST_P(LandscapeBehaviour, ViewMode3DrawsTheTunnelFromRow479) {
    FillHeights(200);
    landscape.shadeFlags = SHADE_FILL;
    landscape.clearValue = 0x33;
    landscape.viewMode = 3;
    Render();
    EXPECT_EQ(landscape.activeTable, &landscape.tunnelTable);
    EXPECT_EQ(Intermediate(480, 10), 0x33333333u);
    EXPECT_EQ(Intermediate(639, 10), 0x33333333u);
    EXPECT_NE(Intermediate(479, 10), 0x33333333u);
    // Through the table, the screen centre reads intermediate row 0, column 0.
    EXPECT_EQ(Pixel(240, 320), Intermediate(0, 0));

    landscape.viewMode = VIEW_TUNNEL;
    Render();
    EXPECT_NE(Intermediate(639, 10), 0x33333333u);
}

TEST_P(LandscapeBehaviour, RadialViewRemapsEveryScreenPixel) {
    FillHeights(120);
    landscape.viewMode = VIEW_RADIAL;
    FillFrame(0xDEADBEEFu);
    Render();
    EXPECT_EQ(landscape.activeTable, &landscape.radialTable);
    for (int i = 0; i < FRAME_PIXELS; ++i) {
        ASSERT_NE(frameBuffer[i], 0xDEADBEEFu) << i;
    }
    EXPECT_EQ(Pixel(240, 320), Intermediate(255, 0));
    // The nearest sample (d = 0) lies on row 255 and fills rows 256 to 639 of every column.
    EXPECT_EQ(Intermediate(639, 7), Intermediate(256, 7));
}

TEST_P(LandscapeBehaviour, LightIsTheLatestSampleAndFlatGroundReadsS128_128) {
    FillHeights(50);
    Height(128, 128) = 77;
    landscape.shadeFlags = SHADE_LIGHT;
    landscape.light = 0.5f;
    Render();
    EXPECT_EQ(landscape.light, 77.0f / 256.0f);
    landscape.shadeFlags = SHADE_FADE;
    landscape.light = 0.125f;
    Render();
    EXPECT_EQ(landscape.light, 0.125f);  // untouched without slope light
}

INSTANTIATE_TEST_SUITE_P(FastAndReference, LandscapeBehaviour,
                         ::testing::Values(&RenderLandscape, &RenderLandscapeReference),
                         [](const auto& info) { return info.index == 0 ? "Fast" : "Reference"; });

// The per-frame values, shared by both renderers.

TEST(LandscapeFrame, SlopeBiasesKeepTheLowByteOfTheTruncatedProduct) {
    Landscape l;
    l.lightRateX = 1.0f;
    l.lightClockX = 3.1415927f;  // cos = -1, times 255 x 0.5
    l.scaleX = 255.0f;
    l.lightRateY = 1.0f;
    l.lightClockY = 1.5707964f;  // sin = 1
    l.scaleY = 999.0f;           // 499.5 truncates to 499, whose low byte is 243
    UpdateSlopeBiases(l);
    EXPECT_EQ(l.slopeBiasX, -127);
    EXPECT_EQ(l.slopeBiasY, static_cast<int8_t>(243));
}

TEST(LandscapeFrame, CameraYIs255OnTheSinePathAtPhaseHalfPi) {
    Landscape l;
    l.pathPhaseX = 1.5707964f;
    l.pathClockY = 0.0f;
    l.scaleY = 255.0f;
    l.pathFlags = PATH_COS_X | PATH_SIN_Y;
    EXPECT_EQ(ComputeFrameBytes(l).camY, 255);
}

TEST(LandscapeFrame, ForwardOffsetIsASinglePrecisionProduct) {
    Landscape l;
    l.advanceRate = 150;
    l.advanceClock = 0.02f;  // 150 x 0.02f rounds to exactly 3
    EXPECT_EQ(ComputeFrameBytes(l).back, 253);
    l.advanceClock = 19.6f;  // 2940 -> low byte 124
    EXPECT_EQ(ComputeFrameBytes(l).back, 256 - 124);
}

TEST(LandscapeFrame, ShiftAndLinearPaths) {
    Landscape l;
    l.columnShift = 0.7f;  // 280 -> 24
    l.pathFlags = 0;
    l.pathClockX = 1.0f;
    l.pathRateX = 2.0f;
    l.pathPhaseX = 0.5f;
    l.scaleX = 100.0f;  // 250
    l.pathRateY = 2.0f;
    l.pathClockY = 3.0f;
    l.pathPhaseY = 0.25f;
    l.scaleY = -10.0f;  // -62.5 -> -62 -> 194
    const FrameBytes bytes = ComputeFrameBytes(l);
    EXPECT_EQ(bytes.shift, 24);
    EXPECT_EQ(bytes.camX, 250);
    EXPECT_EQ(bytes.camY, 194);
    l.columnShift = -0.5f;  // -200 -> 56
    EXPECT_EQ(ComputeFrameBytes(l).shift, 56);
}

TEST(LandscapeFrame, PathFlags9BehavesAs1) {
    Landscape l;
    TestRandom random{11};
    for (int trial = 0; trial < 200; ++trial) {
        l.pathClockX = random.Unit() * 20.0f;
        l.pathClockY = random.Unit() * 20.0f;
        l.pathRateX = random.Unit() * 4.0f - 2.0f;
        l.pathRateY = random.Unit() * 4.0f - 2.0f;
        l.pathPhaseX = random.Unit() * 3.0f;
        l.pathPhaseY = random.Unit() * 3.0f;
        l.scaleX = random.Unit() * 600.0f - 300.0f;
        l.scaleY = random.Unit() * 600.0f - 300.0f;
        l.pathFlags = 9;
        const FrameBytes nine = ComputeFrameBytes(l);
        l.pathFlags = 1;
        const FrameBytes one = ComputeFrameBytes(l);
        ASSERT_EQ(nine.camX, one.camX);
        ASSERT_EQ(nine.camY, one.camY);
        l.pathFlags = 0;
        ASSERT_EQ(ComputeFrameBytes(l).camY, one.camY);  // the Y path is linear in both
    }
}

// The view functions as the show describes them.

TEST(LandscapeViews, PerspectiveCoordinates) {
    const FrameBytes still{0, 0, 0, 0};
    EXPECT_EQ(PerspectiveCoords(320, 17, still).x, 0);
    EXPECT_EQ(PerspectiveCoords(320, 17, still).y, 256 - 17);
    EXPECT_EQ(PerspectiveCoords(0, 128, still).x, 96);
    EXPECT_EQ(PerspectiveCoords(0, 0, still).x, 0);
    const FrameBytes moved{0, 0, 0, 10};
    EXPECT_EQ(PerspectiveCoords(639, 254, moved).x, ((319 * 254) >> 8) & 255);
    EXPECT_EQ(PerspectiveCoords(639, 254, moved).y, (10 - 254) & 255);
}

TEST(LandscapeViews, RowFunctions) {
    EXPECT_GE(PerspectiveRow(255, 0), 512);  // the camera's own cell never shows
    EXPECT_EQ(PerspectiveRow(200, 4), 454);
    EXPECT_EQ(TunnelRow(0, 0), (63 + 4) * 128);
    EXPECT_EQ(TunnelRow(200, 3), 17 * 128 / 4);
    EXPECT_EQ(RadialRow(255, 0), 255);
    EXPECT_EQ(RadialRow(255, 254), 1);
    EXPECT_EQ(RadialRow(0, 100), 255);
}

TEST(LandscapeViews, RadialCoordinatesAddTheCameraAndCentre) {
    const FrameBytes camera{10, 20, 0, 0};
    EXPECT_EQ(RadialCoords(0, 100, camera).x, 50 + 10 + 127);
    EXPECT_EQ(RadialCoords(0, 100, camera).y, 0 + 20 + 127);
    EXPECT_EQ(RadialCoords(64, 100, camera).x, 0 + 10 + 127);
    EXPECT_EQ(RadialCoords(64, 100, camera).y, 50 + 20 + 127);
    EXPECT_EQ(RadialCoords(128, 101, camera).x, static_cast<uint8_t>(-50 + 10 + 127));
}

TEST(LandscapeViews, TunnelCoordinatesShiftTheColumn) {
    const FrameBytes bytes{0, 0, 200, 5};
    EXPECT_EQ(TunnelCoords(100, 10, bytes).x, 44);
    EXPECT_EQ(TunnelCoords(100, 10, bytes).y, 251);
}

TEST(LandscapeConstruction, AllocatesAndSetsTheDefaults) {
    Landscape l;
    ASSERT_NE(l.landHeights, nullptr);
    ASSERT_NE(l.waterHeights, nullptr);
    for (const auto& map : l.colourMaps) {
        ASSERT_NE(map, nullptr);
    }
    ASSERT_NE(l.intermediate, nullptr);
    ASSERT_NE(l.tunnelTable.entries, nullptr);
    ASSERT_NE(l.radialTable.entries, nullptr);
    EXPECT_EQ(l.tunnelTable.entries[0].distance, 400);
    EXPECT_EQ(l.radialTable.entries[0].distance, 5);
    EXPECT_EQ(l.pathFlags, 3);
    EXPECT_EQ(l.viewMode, 4);
    EXPECT_EQ(l.shadeFlags, 4);
    EXPECT_EQ(l.pathRateX, 2.0f);
    EXPECT_EQ(l.pathRateY, 2.0f);
    EXPECT_EQ(l.intermediateRows, 640);
    EXPECT_EQ(l.enabled, 0);
    EXPECT_EQ(l.activeHeights, nullptr);
}

}  // namespace
