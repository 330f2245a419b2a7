#include "surface.h"

#include <cstring>
#include <stdexcept>
#include <string>

SurfacePtr MakeRgbSurface(int width, int height) {
    SurfacePtr surface(SDL_CreateRGBSurfaceWithFormat(0, width, height, 24, SDL_PIXELFORMAT_RGB24));
    if (!surface) {
        throw std::runtime_error(std::string("cannot create a picture: ") + SDL_GetError());
    }
    for (int y = 0; y < height; ++y) {
        std::memset(static_cast<uint8_t*>(surface->pixels) + y * surface->pitch, 0, width * 3);
    }
    return surface;
}
