#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "render/image.h"

// Called with a picture's size as its header gives it, before any pixel is decoded; throws
// to refuse the picture.
using PictureSizeCheck = std::function<void(uint32_t width, uint32_t height)>;

// Decodes the PNG picture read from `file` into 32-bit pixels whose bytes are blue, green,
// red and alpha, from any of PNG's colour types, bit depths and interlacing: palettes and
// grey are expanded, transparency becomes alpha, 16-bit samples are rounded to 8 bits and
// pictures without alpha are opaque. Throws AssetError "<path>: cannot decode picture:
// <reason>", with libpng's own words for what it found wrong.
std::unique_ptr<Image> DecodePng(std::FILE* file, const std::string& path, const PictureSizeCheck& checkSize);
