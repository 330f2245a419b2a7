#pragma once
#include <cstdint>

#include "render/landscape.h"
#include "render/landscape_views.h"

// The steps of a landscape frame around the march, shared by the fast renderer and the
// reference one.

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

// The steps of a frame before the march: the slope biases, the maps, the view and its polar
// table. Returns the view to draw, of kind None when the frame draws nothing (switched off, no
// view bit, no maps). Drawing a view that it returns rewrites every framebuffer pixel.
ViewSetup BeginLandscapeFrame(Landscape& landscape);

// The byte the target is filled with before drawing: clearValue with SHADE_FADE or SHADE_FILL.
uint8_t ClearByte(const Landscape& landscape);

// Fills the view's target: the 640 x 480 framebuffer or the whole 640 x 640 intermediate.
void ClearTarget(const Landscape& landscape, const ViewSetup& view);
