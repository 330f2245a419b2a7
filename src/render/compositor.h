#pragma once
#include "render/layer.h"

// Blends every visible layer over frameBuffer in list order: copy, weighted add or weighted
// subtract, chosen by the first of those the layer's blend selects.
void CompositeLayers(const LayerList& list);

// True when a visible layer copies itself over the whole framebuffer, so that nothing drawn
// before CompositeLayers still shows after it.
bool LayersCoverFrame(const LayerList& list);

// frameBuffer[p] = saturating add / subtract of the layer's pixel p weighted by its amount.
void AddLayerPixels(const Layer& layer);
void SubtractLayerPixels(const Layer& layer);

// The same two blends one pixel at a time on packed 32-bit words, for machines without SSE2
// and for the pixels past the last whole group of four.
void AddLayerPixelsPortable(const uint32_t* source, uint32_t* target, uint32_t count, uint8_t amount);
void SubtractLayerPixelsPortable(const uint32_t* source, uint32_t* target, uint32_t count, uint8_t amount);
