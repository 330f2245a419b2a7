// The picture loader over any file: the PNG signature, the header and its size check, the
// decoder with its conversions, and the layer made from what it gives.
#include "fuzz_input.h"
#include "render/asset_loader.h"
#include "render/layer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ImageList images;
    try {
        LoadImageFile(images, InputAsFile(data, size));
    } catch (const AssetError&) {
        return 0;
    }
    LayerList layers;
    CopyImageToLayer(AddLayer(layers, BLEND_ADD), *images.items[0]);
    return 0;
}
