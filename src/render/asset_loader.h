#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "render/framebuffer.h"
#include "render/image.h"
#include "render/worker_pool.h"

constexpr uint32_t HEIGHT_MAP_BYTES = 256 * 256;
constexpr uint32_t COLOUR_MAP_BYTES = 256 * 256 * 3;
constexpr uint32_t MAX_IMAGE_PIXELS = FRAME_PIXELS;  // a picture becomes a layer over the framebuffer

// A data file that cannot be used; what() reads "<file>: <reason>".
struct AssetError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Data files are read only if they are regular files: a FIFO or a device is an error.

// Reads the first 65,536 bytes of a raw height map into `heights`.
void LoadHeightMap(const std::string& path, uint8_t* heights);

// Reads the first 65,536 red-green-blue texels of a raw colour map into `texels` as
// 0x00RRGGBB pixels.
void LoadColourMap(const std::string& path, uint32_t* texels);

// Decodes a PNG picture and appends it to the list. Its size is checked from its header,
// before anything is decoded: at most MAX_IMAGE_PIXELS, and 65535 each way.
void LoadImageFile(ImageList& list, const std::string& path);

// Decodes the pictures, spread over the pool's threads (none: one after the other), and
// appends them in the order given, or none of them: the error thrown is the one of the first
// failing file in that order.
void LoadImageFiles(ImageList& list, const std::vector<std::string>& paths, WorkerPool* pool);
