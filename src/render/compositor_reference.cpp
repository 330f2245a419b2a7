#include "render/compositor_reference.h"

#include <algorithm>

#include "render/framebuffer.h"

namespace {

uint32_t Channel(uint32_t pixel, int shift) {
    return (pixel >> shift) & 0xFFu;
}

template <typename Combine>
void BlendReference(const uint32_t* source, uint32_t* target, uint32_t count, uint8_t amount,
                    Combine combine) {
    for (uint32_t p = 0; p < count; ++p) {
        uint32_t result = target[p] & 0xFF000000u;  // the fourth byte is left as it was
        for (int shift = 0; shift < 24; shift += 8) {
            int weighted = static_cast<int>(Channel(source[p], shift) * amount / 256);
            int combined = combine(static_cast<int>(Channel(target[p], shift)), weighted);
            result |= static_cast<uint32_t>(combined) << shift;
        }
        target[p] = result;
    }
}

}  // namespace

void AddLayerPixelsReference(const uint32_t* source, uint32_t* target, uint32_t count, uint8_t amount) {
    BlendReference(source, target, count, amount, [](int f, int w) { return std::min(255, f + w); });
}

void SubtractLayerPixelsReference(const uint32_t* source, uint32_t* target, uint32_t count, uint8_t amount) {
    BlendReference(source, target, count, amount, [](int f, int w) { return std::max(0, f - w); });
}

void CompositeLayersReference(const LayerList& list) {
    for (const auto& slot : list.items) {
        if (slot == nullptr || slot->visible != 1) {
            continue;
        }
        const Layer& layer = *slot;
        const uint32_t count = std::min<uint32_t>(layer.pixelCount, FRAME_PIXELS);
        if (layer.blend == BLEND_COPY) {
            for (uint32_t p = 0; p < count; ++p) {
                frameBuffer[p] = layer.pixels[p];
            }
        } else if (layer.blend & BLEND_ADD) {
            AddLayerPixelsReference(layer.pixels.get(), frameBuffer, count, layer.amount);
        } else if (layer.blend & BLEND_SUBTRACT) {
            SubtractLayerPixelsReference(layer.pixels.get(), frameBuffer, count, layer.amount);
        }
    }
}
