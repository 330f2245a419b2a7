// The generator's building blocks: the display curve and its inverse, masks. (The noise's period is
// held by the maps' seamless tiling.)
#include <gtest/gtest.h>

#include <cmath>

#include "colour_curve.h"
#include "colour_maps.h"
#include "glyph_mask.h"
#include "render/colour_curve.h"

TEST(ColourCurve, EveryMapsCurveMatchesTheShowsAndItsInverseGivesBackEveryReachableValue) {
    const MapSize one{1, 1, 1};
    for (const ColourMapRecipe& recipe : ColourMapRecipes()) {
        const ColourCurve curve = recipe.curve;
        const std::array<uint8_t, 256> inverse = InverseCurve(curve);
        for (int raw = 0; raw < 256; ++raw) {
            const uint8_t shown = CurvedChannel(curve, static_cast<uint8_t>(raw));
            uint32_t texel = static_cast<uint32_t>(raw);
            ApplyColourCurve(&texel, &one, curve.gain, curve.exponent);
            EXPECT_EQ(texel, shown) << "gain " << curve.gain << " raw " << raw;
            EXPECT_EQ(CurvedChannel(curve, inverse[shown]), shown) << "gain " << curve.gain << " raw " << raw;
        }
        // A value the curve cannot show maps to the nearest one it can: with exponent 0.2 nothing lies
        // between 0 and the curve's value for 1, so 20 is shown as black.
        if (curve.exponent == 0.2f) {
            EXPECT_EQ(inverse[20], 0);
        }
    }
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
