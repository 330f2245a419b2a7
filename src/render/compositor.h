#pragma once
#include "render/layer.h"

// Blends every visible layer over frameBuffer in list order: copy, weighted add or weighted
// subtract, chosen by the first of those the layer's blend selects. The frame is cut into
// bands of rows that the list's hardware spreads over its threads; each band takes every
// visible layer in turn.
void CompositeLayers(const LayerList& list);

// True when a visible layer copies itself over the whole framebuffer, so that nothing drawn
// before CompositeLayers still shows after it.
bool LayersCoverFrame(const LayerList& list);
