// What the show needs of its maps: seamless tiling, use of the height range, gentle slopes, and colours that
// keep their character once the show's colour curve has been applied.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "colour_curve.h"
#include "colour_maps.h"
#include "data_files.h"

namespace {

// One channel of a raw map file: `stride` bytes per cell, starting at `offset`.
struct Channel {
    const std::vector<uint8_t>& bytes;
    int stride;
    int offset;
    int At(int x, int y) const { return bytes[((y & 255) * 256 + (x & 255)) * stride + offset]; }
};

// Mean absolute step across the edge between columns (or rows) i and i + 1; i = 255 is the wrap edge.
double EdgeStep(const Channel& c, int i, bool rows) {
    double sum = 0.0;
    for (int j = 0; j < 256; ++j) {
        sum += rows ? std::abs(c.At(j, i + 1) - c.At(j, i)) : std::abs(c.At(i + 1, j) - c.At(i, j));
    }
    return sum / 256.0;
}

// The wrap edges must look like any interior edge: no rougher than the roughest interior one.
void ExpectSeamless(const Channel& c, const std::string& what) {
    for (const bool rows : {false, true}) {
        double roughest = 0.0;
        for (int i = 0; i < 255; ++i) {
            roughest = std::max(roughest, EdgeStep(c, i, rows));
        }
        EXPECT_LE(EdgeStep(c, 255, rows), roughest)
            << what << " has a seam at " << (rows ? "y" : "x") << " = 0";
    }
}

// Mean of one displayed channel over a colour map, after the slot's curve.
double DisplayedMean(const std::vector<uint8_t>& rgb, const ColourCurve& curve, int channel) {
    double sum = 0.0;
    for (int cell = 0; cell < 65536; ++cell) {
        sum += CurvedChannel(curve, rgb[cell * 3 + channel]);
    }
    return sum / 65536.0;
}

}  // namespace

TEST(MapQuality, EveryMapTilesSeamlessly) {
    for (const std::string name : {"heightmap2", "waterheight"}) {
        const std::vector<uint8_t> bytes = ReadFileBytes(DataDir() / name);
        ASSERT_EQ(bytes.size(), 65536u);
        ExpectSeamless({bytes, 1, 0}, name);
    }
    for (const ColourMapRecipe& recipe : ColourMapRecipes()) {
        const std::vector<uint8_t> bytes = ReadFileBytes(DataDir() / recipe.fileName);
        ASSERT_EQ(bytes.size(), 196608u);
        for (int channel = 0; channel < 3; ++channel) {
            ExpectSeamless({bytes, 3, channel}, recipe.fileName + " channel " + std::to_string(channel));
        }
    }
}

TEST(MapQuality, SeamCheckCatchesAMapThatDoesNotTile) {
    std::vector<uint8_t> ramp(65536);
    for (int i = 0; i < 65536; ++i) {
        ramp[i] = static_cast<uint8_t>(i % 256);  // rises smoothly, then drops from 255 to 0 at the wrap
    }
    EXPECT_NONFATAL_FAILURE(ExpectSeamless({ramp, 1, 0}, "the ramp"), "the ramp has a seam at x = 0");
}

TEST(MapQuality, LandUsesTheWholeHeightRangeWithGentleSlopes) {
    const std::vector<uint8_t> land = ReadFileBytes(DataDir() / "heightmap2");
    ASSERT_EQ(land.size(), 65536u);
    EXPECT_LE(*std::min_element(land.begin(), land.end()), 4);
    EXPECT_GE(*std::max_element(land.begin(), land.end()), 250);
    int quarters[4] = {};
    for (uint8_t h : land) {
        ++quarters[h / 64];
    }
    for (int q = 0; q < 4; ++q) {
        EXPECT_GT(quarters[q], 65536 / 10) << "height quarter " << q << " is nearly empty";
    }
    const Channel c{land, 1, 0};
    double slopeSum = 0.0;
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            slopeSum += std::abs(c.At(x + 1, y) - c.At(x - 1, y));
        }
    }
    const double meanSlope = slopeSum / 65536.0;
    EXPECT_GT(meanSlope, 3.0) << "too flat for the slope light to show relief";
    EXPECT_LT(meanSlope, 16.0) << "too steep: the slope light would read as noise";
}

TEST(MapQuality, ColourMapsKeepTheirCharacterAfterTheirCurve) {
    for (const ColourMapRecipe& recipe : ColourMapRecipes()) {
        const std::vector<uint8_t> rgb = ReadFileBytes(DataDir() / recipe.fileName);
        ASSERT_EQ(rgb.size(), 196608u);
        const double r = DisplayedMean(rgb, recipe.curve, 0);
        const double g = DisplayedMean(rgb, recipe.curve, 1);
        const double b = DisplayedMean(rgb, recipe.curve, 2);
        const std::string& name = recipe.fileName;
        if (name == "colormap2blue") {
            EXPECT_TRUE(b > g && g > r) << name << " is not icy blue";
        } else if (name == "colormap2b") {
            EXPECT_TRUE(r > g && g > b) << name << " is not warm";
        } else if (name == "colormap2gray") {
            EXPECT_LT(std::max({r, g, b}) - std::min({r, g, b}), 12.0) << name << " is not grey";
        } else if (name == "colormap2red") {
            EXPECT_GT(r, 2.0 * g) << name << " is not deep red";
            EXPECT_GT(r, 2.0 * b) << name << " is not deep red";
        } else if (name == "colormap2") {
            EXPECT_GT(g, r) << name << " has no green land";
        }
        EXPECT_GT(std::max({r, g, b}), 100.0) << name << " is too dark to see after its curve";
    }
}
