#include "height_maps.h"

#include <algorithm>
#include <cmath>

namespace {

// Raw relief before shaping: rolling hills everywhere, ridged mountain chains where a slow mask allows them,
// sampled through a gentle domain warp so that ridges bend instead of following the lattice.
float RawRelief(float u, float v) {
    const float warpU = 10.0f * Fbm(u, v, {4, 3, 0.5f, 11});
    const float warpV = 10.0f * Fbm(u, v, {4, 3, 0.5f, 23});
    const float wu = u + warpU;
    const float wv = v + warpV;
    const float uplands = Fbm(u, v, {2, 3, 0.45f, 37});
    const float ridges = RidgedFbm(wu, wv, {3, 6, 0.5f, 53});
    const float texture = Fbm(wu, wv, {16, 3, 0.5f, 59});
    return 0.35f * uplands + ridges + 0.04f * texture;
}

// Value below which `fraction` of the field's cells lie.
float Percentile(const Field& field, float fraction) {
    std::vector<float> sorted = field.cells;
    const auto nth = sorted.begin() + static_cast<long>(fraction * (sorted.size() - 1));
    std::nth_element(sorted.begin(), nth, sorted.end());
    return *nth;
}

// Stretches the field so that the low and high percentiles land on 0 and 1, clamped.
void Normalise(Field& field, float low, float high) {
    const float lo = Percentile(field, low);
    const float hi = Percentile(field, high);
    for (float& h : field.cells) {
        h = std::clamp((h - lo) / (hi - lo), 0.0f, 1.0f);
    }
}

// Moves every value part of the way towards its rank in the field, so the heights spread over the whole
// range evenly while keeping their order: more high ground to catch the light, fewer empty basins.
void Equalise(Field& field, float strength) {
    std::vector<int> order(MAP_CELLS);
    for (int i = 0; i < MAP_CELLS; ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return field.cells[a] < field.cells[b]; });
    Field ranked;
    for (int rank = 0; rank < MAP_CELLS; ++rank) {
        ranked.cells[order[rank]] = static_cast<float>(rank) / (MAP_CELLS - 1);
    }
    for (int i = 0; i < MAP_CELLS; ++i) {
        field.cells[i] += (ranked.cells[i] - field.cells[i]) * strength;
    }
}

// Lifts the middle heights: the show shades by height, so most of the land should stand high enough to be
// seen, while the valley floors still reach down to black.
void LiftMiddleHeights(Field& field) {
    for (float& h : field.cells) {
        h = std::pow(h, 0.85f);
    }
}

// Mean of the field over the square of side 2 * radius + 1 around every cell, wrapping at the edges.
Field BoxMean(const Field& field, int radius) {
    Field across;
    for (int y = 0; y < MAP_SIDE; ++y) {
        for (int x = 0; x < MAP_SIDE; ++x) {
            float sum = 0.0f;
            for (int k = -radius; k <= radius; ++k) {
                sum += field.At(x + k, y);
            }
            across.cells[CellIndex(x, y)] = sum / static_cast<float>(2 * radius + 1);
        }
    }
    Field mean;
    for (int y = 0; y < MAP_SIDE; ++y) {
        for (int x = 0; x < MAP_SIDE; ++x) {
            float sum = 0.0f;
            for (int k = -radius; k <= radius; ++k) {
                sum += across.At(x, y + k);
            }
            mean.cells[CellIndex(x, y)] = sum / static_cast<float>(2 * radius + 1);
        }
    }
    return mean;
}

// The show's slope light reads its light values from this same map, around cell (255, 128) while its light
// clocks stand still at the opening. Rolling the map (harmless, it tiles) so that the broadest high ground
// lies there makes the opening scenes lit rather than dim; a broad slope there, rather than a summit, makes
// the light come from one side, so that the relief shows.
Field PlaceOpeningLight(const Field& field) {
    const Field mean = BoxMean(field, 8);
    long highest = 0;
    float bestScore = -1.0f;
    for (int y = 0; y < MAP_SIDE; ++y) {
        for (int x = 0; x < MAP_SIDE; ++x) {
            const float gx = (mean.At(x + 8, y) - mean.At(x - 8, y)) / 16.0f * 255.0f;
            const float gy = (mean.At(x, y + 8) - mean.At(x, y - 8)) / 16.0f * 255.0f;
            const float score = mean.At(x, y) + 0.15f * std::sqrt(gx * gx + gy * gy);
            if (score > bestScore) {
                bestScore = score;
                highest = CellIndex(x, y);
            }
        }
    }
    const int shiftX = 255 - static_cast<int>(highest % MAP_SIDE);
    const int shiftY = 128 - static_cast<int>(highest / MAP_SIDE);
    Field rolled;
    for (int y = 0; y < MAP_SIDE; ++y) {
        for (int x = 0; x < MAP_SIDE; ++x) {
            rolled.cells[CellIndex(x + shiftX, y + shiftY)] = field.At(x, y);
        }
    }
    return rolled;
}

// A few passes of thermal erosion: material slides from cells steeper than `talus` to their lowest neighbour,
// which softens the slopes the slope light sees without flattening the ridges.
void Erode(Field& field, int passes, float talus) {
    for (int pass = 0; pass < passes; ++pass) {
        Field next = field;
        for (int y = 0; y < MAP_SIDE; ++y) {
            for (int x = 0; x < MAP_SIDE; ++x) {
                const float h = field.At(x, y);
                const int nx[4] = {x + 1, x - 1, x, x};
                const int ny[4] = {y, y, y + 1, y - 1};
                int lowest = 0;
                for (int k = 1; k < 4; ++k) {
                    if (field.At(nx[k], ny[k]) < field.At(nx[lowest], ny[lowest])) {
                        lowest = k;
                    }
                }
                const float drop = h - field.At(nx[lowest], ny[lowest]);
                if (drop > talus) {
                    const float moved = (drop - talus) * 0.25f;
                    next.cells[CellIndex(x, y)] -= moved;
                    next.cells[CellIndex(nx[lowest], ny[lowest])] += moved;
                }
            }
        }
        field = std::move(next);
    }
}

HeightMap Quantise(const Field& field) {
    HeightMap map;
    for (int i = 0; i < MAP_CELLS; ++i) {
        map.cells[i] = static_cast<uint8_t>(std::clamp(std::lround(field.cells[i] * 255.0f), 0L, 255L));
    }
    return map;
}

}  // namespace

HeightMap MakeLandHeights() {
    Field field;
    for (int y = 0; y < MAP_SIDE; ++y) {
        for (int x = 0; x < MAP_SIDE; ++x) {
            field.cells[CellIndex(x, y)] = RawRelief(static_cast<float>(x), static_cast<float>(y));
        }
    }
    Normalise(field, 0.002f, 0.998f);
    Equalise(field, 0.6f);
    LiftMiddleHeights(field);
    Erode(field, 6, 0.035f);
    Normalise(field, 0.0f, 0.999f);
    return Quantise(PlaceOpeningLight(field));
}

HeightMap MakeWaterHeights() {
    Field field;
    constexpr float TWO_PI = 6.2831853f;
    for (int y = 0; y < MAP_SIDE; ++y) {
        for (int x = 0; x < MAP_SIDE; ++x) {
            const float u = static_cast<float>(x);
            const float v = static_cast<float>(y);
            // Long swells with whole periods across the map, roughened by soft noise.
            const float swell = std::sin(TWO_PI * (2.0f * u + 3.0f * v) / MAP_SIDE) * 0.35f +
                                std::sin(TWO_PI * (5.0f * u - 2.0f * v) / MAP_SIDE) * 0.2f;
            field.cells[CellIndex(x, y)] = swell + 0.6f * Fbm(u, v, {4, 4, 0.45f, 97});
        }
    }
    Normalise(field, 0.0f, 1.0f);
    return Quantise(field);
}

Slope SlopeAt(const HeightMap& map, int x, int y) {
    return {map.At(x + 1, y) - map.At(x - 1, y), map.At(x, y + 1) - map.At(x, y - 1)};
}
