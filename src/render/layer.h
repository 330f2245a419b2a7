#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "render/draw_hardware.h"
#include "render/framebuffer.h"
#include "render/heap_block.h"
#include "render/image.h"

constexpr uint8_t BLEND_COPY = 0;      // overwrite the framebuffer, all four bytes
constexpr uint8_t BLEND_ADD = 1;       // weighted saturating add
constexpr uint8_t BLEND_SUBTRACT = 2;  // weighted saturating subtract

// A layer's fields apart from its pixels, to be saved and restored by copying. Tracks drive
// `visible` and `amount`; the rest is set at start-up.
struct LayerFields {
    uint8_t visible = 0;  // composited only when exactly 1
    uint8_t blend = BLEND_COPY;
    uint8_t amount = 0;                  // weight 0..255 of the add and subtract blends
    uint32_t pixelCount = FRAME_PIXELS;  // pixels laid over the framebuffer from its first one

    bool operator==(const LayerFields&) const = default;
};

// A full-screen overlay.
struct Layer : LayerFields {
    HeapBlock<uint32_t> pixels;
};

// The layers in compositing order, and what the compositor runs on.
struct LayerList {
    std::vector<std::unique_ptr<Layer>> items;
    DrawHardware hardware;
};

// Appends a zeroed 640 x 480 layer with the given blend and returns it.
Layer& AddLayer(LayerList& list, uint8_t blend);

// Sets every pixel of the layer to `value`.
void FillLayer(Layer& layer, uint32_t value);

// Gives the layer the image's pixel count and a copy of its pixels.
void CopyImageToLayer(Layer& layer, const Image& image);
