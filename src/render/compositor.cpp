#include "render/compositor.h"

#include <algorithm>
#include <cstring>

#include "render/blend_pixels.h"
#include "render/framebuffer.h"
#include "render/worker_pool.h"

namespace {

constexpr int BAND_PIXELS = 16 * FRAME_WIDTH;

// A layer never reaches past the framebuffer, whatever its pixel count claims.
uint32_t CoveredPixels(const Layer& layer) {
    return std::min<uint32_t>(layer.pixelCount, FRAME_PIXELS);
}

bool Shown(const std::unique_ptr<Layer>& slot) {
    return slot != nullptr && slot->visible == 1;
}

// The layer over framebuffer pixels [begin, end).
void CompositeRange(const Layer& layer, uint32_t begin, uint32_t end, SimdLevel level) {
    end = std::min(end, CoveredPixels(layer));
    if (begin >= end) {
        return;
    }
    const uint32_t* source = layer.pixels.get() + begin;
    uint32_t* target = frameBuffer + begin;
    if (layer.blend == BLEND_COPY) {
        std::memcpy(target, source, (end - begin) * sizeof(uint32_t));
    } else if (layer.blend & BLEND_ADD) {
        AddPixels(source, target, end - begin, layer.amount, level);
    } else if (layer.blend & BLEND_SUBTRACT) {
        SubtractPixels(source, target, end - begin, layer.amount, level);
    }
}

}  // namespace

bool LayersCoverFrame(const LayerList& list) {
    for (const auto& slot : list.items) {
        if (slot != nullptr && slot->visible == 1 && slot->blend == BLEND_COPY &&
            CoveredPixels(*slot) == FRAME_PIXELS) {
            return true;
        }
    }
    return false;
}

void CompositeLayers(const LayerList& list) {
    if (std::none_of(list.items.begin(), list.items.end(), Shown)) {
        return;
    }
    RunBands(list.hardware.pool, FRAME_PIXELS, BAND_PIXELS, [&](int begin, int end) {
        for (const auto& slot : list.items) {
            if (Shown(slot)) {
                CompositeRange(*slot, static_cast<uint32_t>(begin), static_cast<uint32_t>(end),
                               list.hardware.simd);
            }
        }
    });
}
