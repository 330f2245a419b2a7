#include "render/asset_loader.h"

#include "render/heap_block.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <vector>

namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
    throw AssetError(path + ": " + reason);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Reads exactly `size` bytes from the start of a file; a shorter file is an error, a longer
// one is read only as far as needed.
std::vector<uint8_t> ReadFilePrefix(const std::string& path, size_t size) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        Fail(path, std::strerror(errno));
    }
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

struct SurfaceFree {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceFree>;

// Decodes the file into a surface of whatever format the file has.
Surface DecodePicture(const std::string& path) {
    // Opened first so that a missing or unreadable file is reported as such.
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        Fail(path, std::strerror(errno));
    }
    SDL_RWops* stream = SDL_RWFromFP(file.release(), SDL_TRUE);
    if (stream == nullptr) {
        Fail(path, std::string("cannot read picture: ") + SDL_GetError());
    }
    Surface decoded(IMG_Load_RW(stream, 1));
    if (!decoded) {
        Fail(path, std::string("cannot decode picture: ") + IMG_GetError());
    }
    return decoded;
}

void CheckPictureSize(const std::string& path, const SDL_Surface& surface) {
    uint64_t pixels = static_cast<uint64_t>(surface.w) * static_cast<uint64_t>(surface.h);
    if (pixels > MAX_IMAGE_PIXELS) {
        Fail(path, "picture is " + std::to_string(surface.w) + "x" + std::to_string(surface.h) + " = " +
                       std::to_string(pixels) + " pixels, more than " + std::to_string(MAX_IMAGE_PIXELS));
    }
    if (surface.w > UINT16_MAX || surface.h > UINT16_MAX) {
        Fail(path, "picture is " + std::to_string(surface.w) + "x" + std::to_string(surface.h) +
                       ", wider or taller than 65535 pixels");
    }
}

// Converts the surface's pixels into `pixels` (width x height, no padding) as 32-bit words whose
// bytes are blue, green, red, alpha. A surface with a palette goes through a converted copy,
// which the direct conversion does not make.
void ConvertPicture(const std::string& path, SDL_Surface& surface, uint32_t* pixels) {
    const int pitch = surface.w * static_cast<int>(sizeof(uint32_t));
    if (surface.format->palette == nullptr) {
        if (SDL_ConvertPixels(surface.w, surface.h, surface.format->format, surface.pixels, surface.pitch,
                              SDL_PIXELFORMAT_ARGB8888, pixels, pitch) != 0) {
            Fail(path, std::string("cannot convert picture: ") + SDL_GetError());
        }
        return;
    }
    Surface converted(SDL_ConvertSurfaceFormat(&surface, SDL_PIXELFORMAT_ARGB8888, 0));
    if (!converted) {
        Fail(path, std::string("cannot convert picture: ") + SDL_GetError());
    }
    const auto* rows = static_cast<const uint8_t*>(converted->pixels);
    for (int y = 0; y < surface.h; ++y) {
        std::memcpy(reinterpret_cast<uint8_t*>(pixels) + static_cast<size_t>(y) * pitch,
                    rows + static_cast<size_t>(y) * converted->pitch, pitch);
    }
}

std::unique_ptr<Image> ReadImageFile(const std::string& path) {
    Surface surface = DecodePicture(path);
    CheckPictureSize(path, *surface);
    auto image = std::make_unique<Image>();
    image->width = static_cast<uint16_t>(surface->w);
    image->height = static_cast<uint16_t>(surface->h);
    const size_t pixels = static_cast<size_t>(surface->w) * surface->h;
    image->pixels = std::make_unique_for_overwrite<uint32_t[]>(pixels);
    PrefaultForWriting(image->pixels.get(), pixels * sizeof(uint32_t));
    if (SDL_MUSTLOCK(surface.get()) && SDL_LockSurface(surface.get()) != 0) {
        Fail(path, std::string("cannot read picture: ") + SDL_GetError());
    }
    ConvertPicture(path, *surface, image->pixels.get());
    if (SDL_MUSTLOCK(surface.get())) {
        SDL_UnlockSurface(surface.get());
    }
    return image;
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
    // The decoders' one-time set-up, done here so that the threads below only read it.
    IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG | IMG_INIT_TIF | IMG_INIT_WEBP);
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
