#pragma once
#include <cstdint>

#include "render/layer.h"

// Channel-by-channel versions of the weighted blends, written for clarity; the fast
// versions must agree with them bit for bit.
void AddLayerPixelsReference(const uint32_t* source, uint32_t* target, uint32_t count, uint8_t amount);
void SubtractLayerPixelsReference(const uint32_t* source, uint32_t* target, uint32_t count, uint8_t amount);

// CompositeLayers written rule by rule, over the per-channel blends: the oracle the fast
// compositor is held to over whole frames.
void CompositeLayersReference(const LayerList& list);
