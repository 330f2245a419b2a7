#include "render/asset_loader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <vector>

#include "files/input_file.h"
#include "render/png_decoder.h"

namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
    throw AssetError(path + ": " + reason);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File OpenDataFile(const std::string& path) {
    std::string reason;
    File file(OpenInputFile(path, reason));
    if (!file) {
        Fail(path, reason);
    }
    return file;
}

// Reads exactly `size` bytes from the start of a file; a shorter file is an error, a longer
// one is read only as far as needed.
std::vector<uint8_t> ReadFilePrefix(const std::string& path, size_t size) {
    File file = OpenDataFile(path);
    std::vector<uint8_t> bytes(size);
    size_t got = std::fread(bytes.data(), 1, size, file.get());
    if (got < size) {
        if (std::ferror(file.get())) {
            Fail(path, std::string("read failed: ") + std::strerror(errno));
        }
        Fail(path, "file is " + std::to_string(got) + " bytes long, expected " + std::to_string(size));
    }
    return bytes;
}

// Checked from the picture's header, before it is decoded: a few bytes can declare a picture
// of gigabytes.
void CheckPictureSize(const std::string& path, uint32_t width, uint32_t height) {
    uint64_t pixels = uint64_t{width} * height;
    if (pixels > MAX_IMAGE_PIXELS) {
        Fail(path, "picture is " + std::to_string(width) + "x" + std::to_string(height) + " = " +
                       std::to_string(pixels) + " pixels, more than " + std::to_string(MAX_IMAGE_PIXELS));
    }
    if (width > UINT16_MAX || height > UINT16_MAX) {
        Fail(path, "picture is " + std::to_string(width) + "x" + std::to_string(height) +
                       ", wider or taller than 65535 pixels");
    }
}

std::unique_ptr<Image> ReadImageFile(const std::string& path) {
    File file = OpenDataFile(path);
    return DecodePng(file.get(), path,
                     [&](uint32_t width, uint32_t height) { CheckPictureSize(path, width, height); });
}

}  // namespace

void LoadHeightMap(const std::string& path, uint8_t* heights) {
    std::vector<uint8_t> bytes = ReadFilePrefix(path, HEIGHT_MAP_BYTES);
    std::memcpy(heights, bytes.data(), HEIGHT_MAP_BYTES);
}

void LoadColourMap(const std::string& path, uint32_t* texels) {
    std::vector<uint8_t> bytes = ReadFilePrefix(path, COLOUR_MAP_BYTES);
    for (uint32_t i = 0; i < COLOUR_MAP_BYTES / 3; ++i) {
        const uint8_t* rgb = &bytes[i * 3];
        texels[i] = (uint32_t{rgb[0]} << 16) | (uint32_t{rgb[1]} << 8) | rgb[2];
    }
}

void LoadImageFile(ImageList& list, const std::string& path) {
    list.items.push_back(ReadImageFile(path));
}

void LoadImageFiles(ImageList& list, const std::vector<std::string>& paths, WorkerPool* pool) {
    std::vector<std::unique_ptr<Image>> images(paths.size());
    std::vector<std::exception_ptr> failures(paths.size());
    RunTasks(pool, static_cast<int>(paths.size()), [&](int i) {
        try {
            images[i] = ReadImageFile(paths[i]);
        } catch (...) {
            failures[i] = std::current_exception();
        }
    });
    for (const std::exception_ptr& failure : failures) {
        if (failure) {
            std::rethrow_exception(failure);
        }
    }
    for (std::unique_ptr<Image>& image : images) {
        list.items.push_back(std::move(image));
    }
}
