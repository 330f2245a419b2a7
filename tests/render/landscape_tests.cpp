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
    // The intermediate rows that no remap reads (401 on in the tunnel view, 256 on in the
    // radial one) are drawn by the reference renderer alone; the fast one leaves them be.
    static bool DrawsUnshownRows() { return GetParam() == &RenderLandscapeReference; }
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

TEST_P(LandscapeBehaviour, DisabledOrViewlessDrawsNothingButUpdatesBiasesAndMaps) {
    const std::pair<uint8_t, uint8_t> states[] = {{2, 1}, {0, 4}, {1, 0}, {1, 8}};  // enabled, viewMode
    for (const auto& [enabled, viewMode] : states) {
        SCOPED_TRACE(testing::Message() << "enabled " << int(enabled) << " viewMode " << int(viewMode));
        landscape.enabled = enabled;
        landscape.viewMode = viewMode;
        landscape.shadeFlags = SHADE_FILL;
        landscape.clearValue = 0x44;
        landscape.lightRateX = 1.0f;
        landscape.scaleX = 100.0f;
        landscape.heightSource = 1;
        landscape.colourSource = static_cast<uint8_t>(viewMode % 6);
        FillFrame(0x12345678u);
        landscape.intermediate[1000] = 0x0BADF00Du;
        Render();
        EXPECT_EQ(Pixel(479, 320), 0x12345678u);
        EXPECT_EQ(Pixel(0, 0), 0x12345678u);
        EXPECT_EQ(landscape.intermediate[1000], 0x0BADF00Du);
        EXPECT_EQ(landscape.slopeBiasX, 50);  // cos(0) x 100 x 0.5
        EXPECT_EQ(landscape.activeHeights, landscape.waterHeights.get());
        EXPECT_EQ(landscape.activeColours, landscape.colourMaps[viewMode % 6].get());
    }
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
    // With no colour map chosen yet there is nothing to draw with.
    Landscape fresh;
    fresh.enabled = 1;
    fresh.viewMode = VIEW_PERSPECTIVE;
    fresh.colourSource = 6;
    FillFrame(0x01020304u);
    GetParam()(fresh);
    EXPECT_EQ(fresh.activeColours, nullptr);
    EXPECT_EQ(Pixel(479, 0), 0x01020304u);
}

// On a black flat map with one full-height cell only the samples reading that cell show, at
// one row below the cell's row, so each case checks which cell a column reads at depth d.
TEST_P(LandscapeBehaviour, ColumnsReadTheExpectedCells) {
    struct Case {
        int column, neighbour, d, cellX, cellY;
        uint8_t mapOffsetX, shadeFlags;
        uint32_t v;
    };
    const Case cases[] = {
        {320, 319, 1, 0, 255, 0, 0, 255},
        {320, 319, 50, 0, 206, 0, 0, 255},
        {320, 319, 100, 0, 156, 0, 0, 255},
        {320, 319, 200, 0, 56, 0, 0, 255},
        {320, 319, 254, 0, 2, 0, 0, 255},
        {0, 2, 128, 96, 128, 0, 0, 255},
        {340, 339, 128, 4, 128, 250, 0, 255},         // map X 250 plus 10 cells wraps to 4
        {320, 319, 128, 0, 128, 0, SHADE_FADE, 127},  // fade 0.5 at d = 128
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "column " << c.column << " d " << c.d);
        std::memset(landscape.landHeights.get(), 0, MAP_CELLS);
        Height(c.cellX, c.cellY) = 255;
        landscape.mapOffsetX = c.mapOffsetX;
        landscape.shadeFlags = c.shadeFlags;
        Render();
        const int row = PerspectiveRow(255, static_cast<uint8_t>(c.d)) + 1;
        EXPECT_EQ(Pixel(row, c.column), Scaled(Texel(c.cellX, c.cellY), c.v));
        EXPECT_EQ(Pixel(row, c.neighbour), 0u);  // the neighbour reads another, black cell
    }
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
    // Through the table, the screen centre reads intermediate row 0, column 0.
    EXPECT_EQ(Pixel(240, 320), Intermediate(0, 0));
    if (!DrawsUnshownRows()) {
        return;
    }
    EXPECT_EQ(Intermediate(480, 10), 0x33333333u);
    EXPECT_EQ(Intermediate(639, 10), 0x33333333u);
    EXPECT_NE(Intermediate(479, 10), 0x33333333u);
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
    if (DrawsUnshownRows()) {
        EXPECT_EQ(Intermediate(639, 7), Intermediate(256, 7));
    }
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

TEST(LandscapeFrame, BiasesCameraShiftAndForwardKeepTheLowByteOfSinglePrecisionResults) {
    Landscape l;
    l.lightRateX = l.lightRateY = 1.0f;
    l.lightClockX = 3.1415927f;  // cos -1 x 255 x 0.5 = -127.5 -> -127
    l.scaleX = 255.0f;
    l.lightClockY = 1.5707964f;  // sin 1 x 999 x 0.5 = 499.5 -> 499 -> low byte 243
    l.scaleY = 999.0f;
    UpdateSlopeBiases(l);
    EXPECT_EQ(l.slopeBiasX, -127);
    EXPECT_EQ(l.slopeBiasY, static_cast<int8_t>(243));

    l.pathPhaseX = 1.5707964f;  // as from 7 s: camY = trunc(sin(1.5707964f) x 255) = 255
    l.scaleY = 255.0f;
    l.advanceRate = 150;
    l.advanceClock = 0.02f;  // 150 x 0.02f is 3 in single precision
    l.columnShift = -0.5f;   // -200 -> 56
    FrameBytes bytes = ComputeFrameBytes(l);
    EXPECT_EQ(bytes.camY, 255);
    EXPECT_EQ(bytes.back, 253);
    EXPECT_EQ(bytes.shift, 56);

    l.pathFlags = 0;  // straight paths: (2 x 1 + 0.5) x 100 = 250; (2 x 3 + 0.25) x -10 -> -62 -> 194
    l.pathClockX = 1.0f;
    l.pathPhaseX = 0.5f;
    l.scaleX = 100.0f;
    l.pathClockY = 3.0f;
    l.pathPhaseY = 0.25f;
    l.scaleY = -10.0f;
    l.advanceClock = 19.6f;  // 2940 -> low byte 124
    bytes = ComputeFrameBytes(l);
    EXPECT_EQ(bytes.camX, 250);
    EXPECT_EQ(bytes.camY, 194);
    EXPECT_EQ(bytes.back, 256 - 124);
}

TEST(LandscapeFrame, PathFlags9BehavesAs1) {
    Landscape l;
    TestRandom random{11};
    for (int trial = 0; trial < 200; ++trial) {
        for (float* field :
             {&l.pathClockX, &l.pathClockY, &l.pathRateX, &l.pathRateY, &l.pathPhaseX, &l.pathPhaseY}) {
            *field = random.Unit() * 8.0f - 4.0f;
        }
        l.scaleX = random.Unit() * 600.0f - 300.0f;
        l.scaleY = random.Unit() * 600.0f - 300.0f;
        l.pathFlags = 9;
        const FrameBytes nine = ComputeFrameBytes(l);
        l.pathFlags = 1;
        const FrameBytes one = ComputeFrameBytes(l);
        l.pathFlags = 0;
        ASSERT_EQ(nine.camX, one.camX);
        ASSERT_EQ(nine.camY, one.camY);
        ASSERT_EQ(ComputeFrameBytes(l).camY, one.camY);  // the Y path is linear in both
    }
}

// The row and radial coordinate functions, which the renders above reach only in part.
TEST(LandscapeViews, RowFunctionsAndRadialCoordinates) {
    EXPECT_GE(PerspectiveRow(255, 0), 512);  // the camera's own cell never shows
    EXPECT_EQ(TunnelRow(200, 3), 17 * 128 / 4);
    EXPECT_EQ(RadialRow(255, 0), 255);
    EXPECT_EQ(RadialRow(255, 254), 1);
    const FrameBytes camera{10, 20, 0, 0};
    EXPECT_EQ(RadialCoords(0, 100, camera).x, 50 + 10 + 127);
    EXPECT_EQ(RadialCoords(64, 100, camera).y, 50 + 20 + 127);
    EXPECT_EQ(RadialCoords(128, 101, camera).x, -50 + 10 + 127);
}

}  // namespace
