// The raw height and colour map loaders over any file.
#include <vector>

#include "fuzz_input.h"
#include "render/asset_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = InputAsFile(data, size);
    std::vector<uint8_t> heights(HEIGHT_MAP_BYTES);
    std::vector<uint32_t> texels(COLOUR_MAP_BYTES / 3);
    try {
        LoadHeightMap(path, heights.data());
    } catch (const AssetError&) {
    }
    try {
        LoadColourMap(path, texels.data());
    } catch (const AssetError&) {
    }
    return 0;
}
