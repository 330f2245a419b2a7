#include "picture.h"

#include <algorithm>
#include <cmath>

void Paint(Picture& picture, const Mask& mask, const std::function<Rgb(int x, int y)>& colourAt) {
    for (int y = 0; y < PICTURE_HEIGHT; ++y) {
        for (int x = 0; x < PICTURE_WIDTH; ++x) {
            const float cover = mask.At(x, y);
            if (cover > 0.0f) {
                Rgb& pixel = picture.pixels[y * PICTURE_WIDTH + x];
                pixel = Mix(pixel, colourAt(x, y), cover);
            }
        }
    }
}

void AddLight(Picture& picture, const Mask& mask, Rgb colour) {
    for (int i = 0; i < PICTURE_WIDTH * PICTURE_HEIGHT; ++i) {
        const float cover = mask.cover[i];
        Rgb& pixel = picture.pixels[i];
        pixel = {pixel.r + colour.r * cover, pixel.g + colour.g * cover, pixel.b + colour.b * cover};
    }
}

SurfacePtr ToSurface(const Picture& picture) {
    SurfacePtr surface = MakeRgbSurface(PICTURE_WIDTH, PICTURE_HEIGHT);
    const auto byte = [](float channel) {
        return static_cast<uint8_t>(std::clamp(std::lround(channel), 0L, 255L));
    };
    for (int y = 0; y < PICTURE_HEIGHT; ++y) {
        for (int x = 0; x < PICTURE_WIDTH; ++x) {
            const Rgb& p = picture.pixels[y * PICTURE_WIDTH + x];
            PutRgb(surface.get(), x, y, byte(p.r), byte(p.g), byte(p.b));
        }
    }
    return surface;
}
