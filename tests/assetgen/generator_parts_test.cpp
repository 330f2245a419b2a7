// The generator's building blocks: the display curve and its inverse, periodic noise, masks.
#include <gtest/gtest.h>

#include <cmath>

#include "colour_curve.h"
#include "glyph_mask.h"
#include "noise.h"

TEST(ColourCurve, MatchesTheShowsCurve) {
    const ColourCurve terrain{0.5f, 0.2f};
    EXPECT_EQ(CurvedChannel(terrain, 0), 0);
    EXPECT_EQ(CurvedChannel(terrain, 1), 73);
    EXPECT_EQ(CurvedChannel(terrain, 128), 193);
    EXPECT_EQ(CurvedChannel(terrain, 255), 221);
    EXPECT_EQ(CurvedChannel({0.9f, 0.2f}, 128), 217);
    EXPECT_EQ(CurvedChannel({1.0f, 0.7f}, 1), 5);
    EXPECT_EQ(CurvedChannel({1.0f, 0.7f}, 255), 255);
    EXPECT_EQ(CurvedChannel({0.85f, 0.7f}, 128), 140);
}

TEST(ColourCurve, InverseGivesBackEveryReachableValue) {
    for (const ColourCurve curve : {ColourCurve{0.5f, 0.2f}, ColourCurve{0.9f, 0.2f}, ColourCurve{1.0f, 0.7f},
                                    ColourCurve{0.85f, 0.7f}}) {
        const std::array<uint8_t, 256> inverse = InverseCurve(curve);
        for (int raw = 0; raw < 256; ++raw) {
            const uint8_t shown = CurvedChannel(curve, static_cast<uint8_t>(raw));
            EXPECT_EQ(CurvedChannel(curve, inverse[shown]), shown) << "gain " << curve.gain << " raw " << raw;
        }
        // A value the curve cannot show maps to the nearest one it can: with exponent 0.2 nothing lies
        // between 0 and the curve's value for 1, so 20 is shown as black.
        if (curve.exponent == 0.2f) {
            EXPECT_EQ(inverse[20], 0);
        }
    }
}

TEST(Noise, RepeatsEveryMapWidth) {
    const Octaves octaves{3, 5, 0.5f, 7};
    for (float u : {0.0f, 17.5f, 100.25f, 255.75f}) {
        for (float v : {0.0f, 64.5f, 200.0f}) {
            EXPECT_NEAR(Fbm(u, v, octaves), Fbm(u + 256.0f, v, octaves), 1e-4f);
            EXPECT_NEAR(Fbm(u, v, octaves), Fbm(u, v - 256.0f, octaves), 1e-4f);
            EXPECT_NEAR(RidgedFbm(u, v, octaves), RidgedFbm(u - 256.0f, v + 256.0f, octaves), 1e-4f);
        }
    }
}

TEST(Noise, VariesAndStaysInRange) {
    float low = 1.0f;
    float high = -1.0f;
    for (int y = 0; y < 256; y += 3) {
        for (int x = 0; x < 256; x += 3) {
            const float n = Fbm(static_cast<float>(x), static_cast<float>(y), {4, 4, 0.5f, 3});
            low = std::min(low, n);
            high = std::max(high, n);
        }
    }
    EXPECT_LT(low, -0.3f);
    EXPECT_GT(high, 0.3f);
    EXPECT_GE(low, -1.5f);
    EXPECT_LE(high, 1.5f);
}

TEST(GlyphMask, BlurAndDilateStayWithinTheirReach) {
    Mask dot(64, 64);
    dot.At(32, 32) = 1.0f;
    const Mask grown = Dilate(dot, 3);
    EXPECT_EQ(grown.At(35, 32), 1.0f);
    EXPECT_EQ(grown.At(35, 35), 0.0f);  // outside the disc of radius 3
    const Mask soft = Blur(dot, 2);
    EXPECT_GT(soft.At(32, 32), soft.At(34, 32));
    EXPECT_GT(soft.At(38, 32), 0.0f);  // three passes of radius 2 reach 6 pixels
    EXPECT_EQ(soft.At(39, 32), 0.0f);  // and no farther
    EXPECT_EQ(soft.At(32, 25), 0.0f);
}
