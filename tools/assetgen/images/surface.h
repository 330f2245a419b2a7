#pragma once
#include <SDL2/SDL.h>

#include <cstdint>
#include <memory>

struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// A new surface of 8-bit red, green, blue pixels, all black. Throws std::runtime_error if SDL cannot make it.
SurfacePtr MakeRgbSurface(int width, int height);

inline void PutRgb(SDL_Surface* surface, int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    uint8_t* p = static_cast<uint8_t*>(surface->pixels) + y * surface->pitch + x * 3;
    p[0] = r;
    p[1] = g;
    p[2] = b;
}
