#pragma once
#include <cstdint>

#include "render/landscape.h"
#include "render/landscape_views.h"

// The steps of a landscape frame that come before the march, shared by the fast renderer
// and the reference one.

// slopeBiasX and slopeBiasY from the light clocks; every frame, enabled or not.
void UpdateSlopeBiases(Landscape& landscape);

// camX, camY, shift and back for this frame.
FrameBytes ComputeFrameBytes(const Landscape& landscape);

// activeHeights and activeColours from heightSource and colourSource; an out-of-range
// source keeps the previous choice.
void SelectMaps(Landscape& landscape);

// True when the maps the march reads are there: a source that has never selected a map
// (out of range from the first frame on) leaves nothing to draw with.
bool MapsReady(const Landscape& landscape);

// The byte the target is filled with before drawing: clearValue with SHADE_FADE or SHADE_FILL.
uint8_t ClearByte(const Landscape& landscape);

// Fills the view's target: the 640 x 480 framebuffer or the whole 640 x 640 intermediate.
void ClearTarget(const Landscape& landscape, const ViewSetup& view);

// The slope light byte S[gy][gx] of map cell (x, y): the slopes of the shade map plus the biases.
inline uint8_t SlopeLightByte(const Landscape& l, uint8_t x, uint8_t y) {
    const uint8_t* s = l.shadeMap;
    const int row = y << 8;
    const int up = static_cast<uint8_t>(y - 1) << 8;
    const int down = static_cast<uint8_t>(y + 1) << 8;
    const int left = static_cast<uint8_t>(x - 1);
    const int right = static_cast<uint8_t>(x + 1);
    const uint8_t gx = static_cast<uint8_t>(s[row + right] - s[row + left] + l.slopeBiasX - 128);
    const uint8_t gy = static_cast<uint8_t>(s[down + x] - s[up + x] + l.slopeBiasY - 128);
    return s[(gy << 8) + gx];
}

// Copies the intermediate to the framebuffer through the polar table of the view (tunnel or
// radial), which SetUpView has made the active one.
void RemapIntermediate(const Landscape& landscape, ViewKind kind);
