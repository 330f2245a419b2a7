#pragma once
#include <functional>
#include <vector>

#include "glyph_mask.h"
#include "map_types.h"
#include "surface.h"

// Every picture the show overlays is exactly the size of its framebuffer: the compositor lays a picture over
// the framebuffer as one run of pixels, so any other width would come out sheared.
constexpr int PICTURE_WIDTH = 640;
constexpr int PICTURE_HEIGHT = 480;

// A picture in real-valued colour, black where nothing has been painted.
struct Picture {
    std::vector<Rgb> pixels = std::vector<Rgb>(PICTURE_WIDTH * PICTURE_HEIGHT);
};

// Paints a colour through a full-size mask: each pixel moves towards the colour by the mask's coverage.
// `colourAt` gives the colour per pixel, so fills can be gradients.
void Paint(Picture& picture, const Mask& mask, const std::function<Rgb(int x, int y)>& colourAt);

// Adds light through a full-size mask (for glows): each pixel gains colour times coverage.
void AddLight(Picture& picture, const Mask& mask, Rgb colour);

// The picture as 8-bit RGB, channels rounded and clamped; values below one half become exactly 0.
SurfacePtr ToSurface(const Picture& picture);
