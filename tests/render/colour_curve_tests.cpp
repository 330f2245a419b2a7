#include <gtest/gtest.h>

#include <vector>

#include "render/colour_curve.h"

namespace {

TEST(ColourCurve, WorkedExamplesInEveryChannel) {
    struct Case {
        float gain, exponent;
        uint32_t in, out;
    };
    const Case cases[] = {
        {0.5f, 0.2f, 0, 0},     {0.5f, 0.2f, 1, 73},     {0.5f, 0.2f, 128, 193},  {0.5f, 0.2f, 255, 221},
        {0.9f, 0.2f, 128, 217}, {0.9f, 0.2f, 255, 249},  {1.0f, 0.7f, 1, 5},      {1.0f, 0.7f, 128, 157},
        {1.0f, 0.7f, 255, 255}, {0.85f, 0.7f, 128, 140}, {0.85f, 0.7f, 255, 227}, {0.9f, 3.0f, 0, 0},
        {2.0f, 1.0f, 255, 254},  // a gain above 1: 510 wraps modulo 256
    };
    const MapSize three{3, 1, 3};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.gain << ", " << c.exponent << ": " << c.in);
        std::vector<uint32_t> texels = {c.in << 16, c.in << 8, c.in};
        ApplyColourCurve(texels.data(), &three, c.gain, c.exponent);
        EXPECT_EQ(texels, (std::vector<uint32_t>{c.out << 16, c.out << 8, c.out}));
    }
}

TEST(ColourCurve, ClearsTheFourthByteOfExactlyCountTexels) {
    std::vector<uint32_t> texels(65536 + 1, 0xFFFFFFFFu);
    texels[0] = 0x00FFFFFFu;
    const MapSize size;
    ApplyColourCurve(texels.data(), &size, 1.0f, 0.7f);
    EXPECT_EQ(texels[0], 0x00FFFFFFu);
    EXPECT_EQ(texels[65535], 0x00FFFFFFu);
    EXPECT_EQ(texels[65536], 0xFFFFFFFFu);
}

}  // namespace
