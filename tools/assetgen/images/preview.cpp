#include "preview.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <vector>

#include "asset_files.h"
#include "surface.h"

void WriteHeightPreview(const HeightMap& map, const std::filesystem::path& path) {
    SurfacePtr surface = MakeRgbSurface(MAP_SIDE, MAP_SIDE);
    for (int y = 0; y < MAP_SIDE; ++y) {
        for (int x = 0; x < MAP_SIDE; ++x) {
            const uint8_t h = static_cast<uint8_t>(map.At(x, y));
            PutRgb(surface.get(), x, y, h, h, h);
        }
    }
    WritePng(path, surface.get());
}

void WriteReliefPreview(const HeightMap& map, const std::filesystem::path& path) {
    SurfacePtr surface = MakeRgbSurface(MAP_SIDE, MAP_SIDE);
    for (int y = 0; y < MAP_SIDE; ++y) {
        for (int x = 0; x < MAP_SIDE; ++x) {
            // Lambert shading with light from the upper left, to judge the relief by eye.
            const float dx = static_cast<float>(map.At(x + 1, y) - map.At(x - 1, y)) / 2.0f;
            const float dy = static_cast<float>(map.At(x, y + 1) - map.At(x, y - 1)) / 2.0f;
            const float shade = (dx + dy) * -0.05f + 1.0f / std::sqrt(1.0f + (dx * dx + dy * dy) * 0.01f);
            const uint8_t v = static_cast<uint8_t>(std::clamp(shade * 150.0f, 0.0f, 255.0f));
            PutRgb(surface.get(), x, y, v, v, v);
        }
    }
    WritePng(path, surface.get());
}

void WriteColourPreview(const ColourMap& map, const ColourCurve& curve, const std::filesystem::path& path) {
    SurfacePtr surface = MakeRgbSurface(MAP_SIDE * 2, MAP_SIDE);
    for (int y = 0; y < MAP_SIDE; ++y) {
        for (int x = 0; x < MAP_SIDE; ++x) {
            const uint8_t* raw = &map.rgb[CellIndex(x, y) * 3];
            PutRgb(surface.get(), x, y, raw[0], raw[1], raw[2]);
            PutRgb(surface.get(), MAP_SIDE + x, y, CurvedChannel(curve, raw[0]), CurvedChannel(curve, raw[1]),
                   CurvedChannel(curve, raw[2]));
        }
    }
    WritePng(path, surface.get());
}

namespace {

// Light of the show's slope light with the light biases it has at the start of the show (127 and 0).
float SlopeLight(const HeightMap& land, int mx, int my) {
    const int gx = (land.At(mx + 1, my) - land.At(mx - 1, my) + 127 - 128) & 0xFF;
    const int gy = (land.At(mx, my + 1) - land.At(mx, my - 1) + 0 - 128) & 0xFF;
    return land.At(gx, gy) / 256.0f;
}

}  // namespace

void WriteFlightPreview(const HeightMap& land, const ColourMap& map, const ColourCurve& curve, int camX,
                        int camY, const std::filesystem::path& path) {
    constexpr int WIDTH = 640;
    constexpr int HEIGHT = 480;
    SurfacePtr surface = MakeRgbSurface(WIDTH, HEIGHT);
    for (int column = 0; column < WIDTH; ++column) {
        int top = HEIGHT - 1;
        for (int d = 0; d < 255; ++d) {
            const int mx = (((column - 320) * d) >> 8) + camX;
            const int my = -d + camY;
            const int h = land.At(mx, my);
            const float v = SlopeLight(land, mx, my) * static_cast<float>(h) / 256.0f;
            const uint8_t* raw = &map.rgb[CellIndex(mx, my) * 3];
            const auto shade = [&](int k) { return static_cast<uint8_t>(CurvedChannel(curve, raw[k]) * v); };
            const int row = ((271 - h) * 32) / (d + 1);
            for (; top > row && top >= 0; --top) {
                PutRgb(surface.get(), column, top, shade(0), shade(1), shade(2));
            }
        }
    }
    WritePng(path, surface.get());
}

void DescribeHeights(const char* name, const HeightMap& map) {
    std::vector<int> sorted(map.cells.begin(), map.cells.end());
    std::sort(sorted.begin(), sorted.end());
    double slopeSum = 0.0;
    std::vector<int> slopes;
    double lightSum = 0.0;
    double lightSquares = 0.0;
    for (int y = 0; y < MAP_SIDE; ++y) {
        for (int x = 0; x < MAP_SIDE; ++x) {
            const int dx = std::abs(map.At(x + 1, y) - map.At(x - 1, y));
            slopeSum += dx;
            slopes.push_back(dx);
            const double light = SlopeLight(map, x, y);
            lightSum += light;
            lightSquares += light * light;
        }
    }
    std::sort(slopes.begin(), slopes.end());
    std::printf(
        "%s: height p1 %d p10 %d p50 %d p90 %d p99 %d mean %.1f; |dx| mean %.1f p95 %d max %d; "
        "opening light mean %.2f sd %.2f\n",
        name, sorted[MAP_CELLS / 100], sorted[MAP_CELLS / 10], sorted[MAP_CELLS / 2],
        sorted[MAP_CELLS * 9 / 10], sorted[MAP_CELLS * 99 / 100],
        std::accumulate(sorted.begin(), sorted.end(), 0.0) / MAP_CELLS, slopeSum / MAP_CELLS,
        slopes[MAP_CELLS * 95 / 100], slopes.back(), lightSum / MAP_CELLS,
        std::sqrt(lightSquares / MAP_CELLS - (lightSum / MAP_CELLS) * (lightSum / MAP_CELLS)));
}
