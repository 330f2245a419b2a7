#include "colour_rules.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr float TWO_PI = 6.2831853f;

float SmoothStep(float edge0, float edge1, float x) {
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// Whole waves across the map in direction (a, b), so the pattern tiles: a and b are integers.
float MapWave(const TerrainSample& s, int a, int b) {
    return std::sin(TWO_PI * static_cast<float>(a * s.x + b * s.y) / MAP_SIDE);
}

}  // namespace

Rgb NaturalColour(const TerrainSample& s) {
    const float h = s.height + 0.035f * s.medium;  // ragged borders between the zones
    const Rgb water = Mix({0, 80, 150}, {0, 125, 175}, SmoothStep(0.0f, 0.08f, h));
    const Rgb sand{215, 200, 150};
    const Rgb grass = Mix({90, 150, 73}, {140, 200, 85}, 0.5f + 0.5f * s.medium);
    const Rgb rock = Mix({105, 100, 95}, {160, 150, 138}, 0.5f + 0.5f * s.fine);
    const Rgb snow{221, 221, 221};
    Rgb c = Mix(water, sand, SmoothStep(0.07f, 0.09f, h));
    c = Mix(c, grass, SmoothStep(0.12f, 0.16f, h));
    const float rocky = std::max(SmoothStep(0.5f, 0.62f, h), SmoothStep(16.0f, 28.0f, s.steepness));
    c = Mix(c, rock, rocky * SmoothStep(0.1f, 0.16f, h));
    const float snowy =
        SmoothStep(0.76f, 0.84f, h + 0.04f * s.fine) * (1.0f - SmoothStep(20.0f, 34.0f, s.steepness));
    c = Mix(c, snow, snowy);
    return Scale(c, 1.0f + 0.1f * s.fine);
}

Rgb IceColour(const TerrainSample& s) {
    const Rgb deep{90, 150, 215};
    const Rgb ice{175, 215, 245};
    const Rgb snow{235, 244, 249};
    Rgb c = Mix(deep, ice, SmoothStep(0.05f, 0.35f, s.height));
    c = Mix(c, snow, SmoothStep(0.55f, 0.85f, s.height + 0.05f * s.medium));
    const float crevasse = SmoothStep(0.82f, 0.95f, s.veins) * SmoothStep(8.0f, 20.0f, s.steepness);
    c = Mix(c, Rgb{95, 160, 240}, crevasse);
    return Scale(c, 1.0f + 0.05f * s.fine);
}

Rgb DuskColour(const TerrainSample& s) {
    // The low sun stands in the west (towards negative x): faces rising to the east catch it.
    const float sunlit = SmoothStep(-24.0f, 24.0f, s.slopeX + 0.4f * s.slopeY);
    const Rgb shade = Mix({70, 35, 70}, {125, 70, 120}, s.height);
    const Rgb lit = Mix({200, 95, 45}, {255, 185, 105}, s.height);
    Rgb c = Mix(shade, lit, sunlit);
    const float ripples = MapWave(s, 24, 18) * 0.5f + MapWave(s, -10, 29) * 0.3f;
    c = Scale(c, 1.0f + 0.07f * ripples + 0.05f * s.fine);
    const float crest = SmoothStep(0.8f, 0.95f, s.height) * sunlit;
    return Mix(c, Rgb{255, 215, 150}, 0.6f * crest);
}

Rgb StoneColour(const TerrainSample& s) {
    const float strata = std::sin(TWO_PI * 4.0f * s.height + 1.5f * s.medium);
    float grey = 200.0f + 24.0f * strata + 20.0f * s.fine;
    grey -= 22.0f * SmoothStep(18.0f, 34.0f, s.steepness);
    grey -= 70.0f * SmoothStep(0.9f, 0.98f, s.veins);
    const float warmth = 0.5f + 0.5f * s.medium;
    return {grey * (0.95f + 0.07f * warmth), grey * 0.98f, grey * (1.04f - 0.08f * warmth)};
}

Rgb TestColour(const TerrainSample& s) {
    static constexpr std::array<Rgb, 8> bands{{{255, 40, 40},
                                               {255, 140, 0},
                                               {255, 230, 0},
                                               {40, 220, 60},
                                               {0, 210, 230},
                                               {40, 90, 255},
                                               {230, 40, 220},
                                               {240, 240, 240}}};
    // The pattern is shifted by two cells so that the map's own wrap edge falls inside a square, not on a
    // line.
    const int x = (s.x + 2) % MAP_SIDE;
    const int y = (s.y + 2) % MAP_SIDE;
    if (x % 32 == 0 || y % 32 == 0) {
        return {255, 255, 255};
    }
    if (x % 8 == 0 || y % 8 == 0) {
        return {20, 20, 20};
    }
    const int band = std::min(7, static_cast<int>(s.height * 8.0f));
    const bool light = ((x / 16) + (y / 16)) % 2 == 0;
    return Scale(bands[band], light ? 1.0f : 0.6f);
}

Rgb MagmaColour(const TerrainSample& s) {
    const Rgb crust = Mix({90, 8, 4}, {190, 30, 10}, 0.5f + 0.5f * s.medium);
    const float vein = std::pow(std::clamp(s.veins, 0.0f, 1.0f), 6.0f);
    const Rgb glow = Mix({255, 110, 10}, {255, 225, 90}, std::pow(vein, 2.0f));
    const Rgb c = Mix(crust, glow, vein);
    return Scale(c, 1.0f + 0.08f * s.fine);
}
