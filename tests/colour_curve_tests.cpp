#include <gtest/gtest.h>

#include <vector>

#include "render/colour_curve.h"

namespace {

// The curve of one channel value, read through the red, green and blue positions in turn.
void ExpectChannel(float gain, float exponent, uint32_t in, uint32_t out) {
    SCOPED_TRACE(testing::Message() << "gain " << gain << " exponent " << exponent << ": " << in);
    std::vector<uint32_t> texels = {in << 16, in << 8, in};
    const MapSize three{3, 1, 3};
    ApplyColourCurve(texels.data(), &three, gain, exponent);
    EXPECT_EQ(texels[0], out << 16);
    EXPECT_EQ(texels[1], out << 8);
    EXPECT_EQ(texels[2], out);
}

TEST(ColourCurve, WorkedExamples) {
    ExpectChannel(0.5f, 0.2f, 0, 0);
    ExpectChannel(0.5f, 0.2f, 1, 73);
    ExpectChannel(0.5f, 0.2f, 128, 193);
    ExpectChannel(0.5f, 0.2f, 255, 221);
    ExpectChannel(0.9f, 0.2f, 128, 217);
    ExpectChannel(0.9f, 0.2f, 255, 249);
    ExpectChannel(1.0f, 0.7f, 1, 5);
    ExpectChannel(1.0f, 0.7f, 128, 157);
    ExpectChannel(1.0f, 0.7f, 255, 255);
    ExpectChannel(0.85f, 0.7f, 128, 140);
    ExpectChannel(0.85f, 0.7f, 255, 227);
}

TEST(ColourCurve, ClearsTheFourthByteAndKeepsWhiteUnderUnitGain) {
    std::vector<uint32_t> texels = {0x00FFFFFFu, 0xFFFFFFFFu, 0xAB000000u};
    const MapSize three{3, 1, 3};
    ApplyColourCurve(texels.data(), &three, 1.0f, 0.7f);
    EXPECT_EQ(texels[0], 0x00FFFFFFu);
    EXPECT_EQ(texels[1], 0x00FFFFFFu);
    EXPECT_EQ(texels[2], 0x00000000u);
}

TEST(ColourCurve, ZeroStaysZeroForEveryPositiveExponent) {
    for (float exponent : {0.05f, 0.2f, 0.7f, 1.0f, 3.0f}) {
        std::vector<uint32_t> texels = {0x00000000u, 0x00FF00FFu};
        const MapSize two{2, 1, 2};
        ApplyColourCurve(texels.data(), &two, 0.9f, exponent);
        EXPECT_EQ(texels[0], 0u) << exponent;
        EXPECT_EQ(texels[1] & 0x0000FF00u, 0u) << exponent;
    }
}

TEST(ColourCurve, GainAboveOneWrapsModulo256) {
    // 255 / 255 x 2 = 2, 2^1 x 255 = 510, which wraps to 254.
    ExpectChannel(2.0f, 1.0f, 255, 254);
}

TEST(ColourCurve, RewritesExactlyCountTexelsOfAFullMap) {
    std::vector<uint32_t> texels(65536 + 1);
    for (size_t i = 0; i < texels.size(); ++i) {
        texels[i] = static_cast<uint32_t>(i * 2654435761u);
    }
    const uint32_t beyond = texels[65536];
    const MapSize size;
    ApplyColourCurve(texels.data(), &size, 0.5f, 0.2f);
    EXPECT_EQ(texels[65536], beyond);
    for (size_t i = 0; i < 65536; ++i) {
        ASSERT_EQ(texels[i] >> 24, 0u) << i;
    }
}

}  // namespace
