#include "render/layer.h"

#include <algorithm>

Layer& AddLayer(LayerList& list, uint8_t blend) {
    auto layer = std::make_unique<Layer>();
    layer->blend = blend;
    layer->pixels = ZeroedHeapBlock<uint32_t>(layer->pixelCount);
    list.items.push_back(std::move(layer));
    return *list.items.back();
}

void FillLayer(Layer& layer, uint32_t value) {
    PrefaultForWriting(layer.pixels.get(), layer.pixelCount * sizeof(uint32_t));
    std::fill_n(layer.pixels.get(), layer.pixelCount, value);
}

void CopyImageToLayer(Layer& layer, const Image& image) {
    uint32_t count = static_cast<uint32_t>(image.width) * image.height;
    layer.pixelCount = count;
    layer.pixels = UninitialisedHeapBlock<uint32_t>(count);
    std::copy_n(image.pixels.get(), count, layer.pixels.get());
}
