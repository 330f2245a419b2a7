// The picture decoder of the WebAssembly build, over stb_image (a header-only decoder from
// Debian's libstb-dev): the same pixels as the native build's libpng decoder on the show's
// pictures, as the browser tests check frame by frame.
#include <cerrno>
#include <cstring>
#include <vector>

#include "render/asset_loader.h"
#include "render/png_decoder.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_FAILURE_USERMSG
#include <stb_image.h>

namespace {

[[noreturn]] void Refuse(const std::string& path, const std::string& reason) {
    throw AssetError(path + ": cannot decode picture: " + reason);
}

std::vector<unsigned char> ReadAll(std::FILE* file, const std::string& path) {
    std::vector<unsigned char> bytes;
    unsigned char block[65536];
    size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) {
        bytes.insert(bytes.end(), block, block + got);
    }
    if (std::ferror(file)) {
        Refuse(path, std::strerror(errno));
    }
    return bytes;
}

// 16-bit samples rounded to the nearest 8-bit value, as libpng's accurate scaling does.
uint32_t Scale16(uint16_t sample) {
    return (uint32_t{sample} * 255 + 32767) / 65535;
}

}  // namespace

std::unique_ptr<Image> DecodePng(std::FILE* file, const std::string& path,
                                 const PictureSizeCheck& checkSize) {
    const std::vector<unsigned char> bytes = ReadAll(file, path);
    const int length = static_cast<int>(bytes.size());
    static const unsigned char SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < sizeof SIGNATURE || std::memcmp(bytes.data(), SIGNATURE, sizeof SIGNATURE) != 0) {
        Refuse(path, "not a PNG file");
    }
    int width = 0, height = 0, channels = 0;
    if (stbi_info_from_memory(bytes.data(), length, &width, &height, &channels) == 0) {
        Refuse(path, stbi_failure_reason());
    }
    checkSize(static_cast<uint32_t>(width), static_cast<uint32_t>(height));
    auto image = std::make_unique<Image>();
    image->width = static_cast<uint16_t>(width);
    image->height = static_cast<uint16_t>(height);
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    image->pixels = std::make_unique<uint32_t[]>(pixels);
    uint32_t* out = image->pixels.get();
    if (stbi_is_16_bit_from_memory(bytes.data(), length) != 0) {
        stbi_us* rgba = stbi_load_16_from_memory(bytes.data(), length, &width, &height, &channels, 4);
        if (rgba == nullptr) {
            Refuse(path, stbi_failure_reason());
        }
        for (size_t p = 0; p < pixels; ++p) {
            const stbi_us* s = rgba + p * 4;
            out[p] = Scale16(s[3]) << 24 | Scale16(s[0]) << 16 | Scale16(s[1]) << 8 | Scale16(s[2]);
        }
        stbi_image_free(rgba);
        return image;
    }
    stbi_uc* rgba = stbi_load_from_memory(bytes.data(), length, &width, &height, &channels, 4);
    if (rgba == nullptr) {
        Refuse(path, stbi_failure_reason());
    }
    for (size_t p = 0; p < pixels; ++p) {
        const stbi_uc* s = rgba + p * 4;
        out[p] = uint32_t{s[3]} << 24 | uint32_t{s[0]} << 16 | uint32_t{s[1]} << 8 | s[2];
    }
    stbi_image_free(rgba);
    return image;
}
