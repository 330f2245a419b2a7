#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "render/compositor.h"
#include "render/compositor_reference.h"
#include "render/framebuffer.h"
#include "render/pixel_ops.h"

namespace {

class Compositor : public testing::Test {
protected:
    void SetUp() override { std::fill_n(frameBuffer, FRAME_PIXELS, 0u); }

    Layer& Visible(uint8_t blend, uint32_t fill, uint8_t amount) {
        Layer& layer = AddLayer(layers, blend);
        FillLayer(layer, fill);
        layer.visible = 1;
        layer.amount = amount;
        return layer;
    }

    LayerList layers;
};

TEST_F(Compositor, NewLayerIsZeroedFullScreenAndHidden) {
    Layer& layer = AddLayer(layers, BLEND_SUBTRACT);
    EXPECT_EQ(layer.visible, 0);
    EXPECT_EQ(layer.amount, 0);
    EXPECT_EQ(layer.blend, BLEND_SUBTRACT);
    EXPECT_EQ(layer.pixelCount, 307200u);
    EXPECT_TRUE(
        std::all_of(layer.pixels.get(), layer.pixels.get() + 307200, [](uint32_t p) { return p == 0; }));
    EXPECT_EQ(&layer, layers.items.back().get());
}

TEST_F(Compositor, OnlyExactlyVisibleLayersWithAWeightChangeTheFrame) {
    std::fill_n(frameBuffer, FRAME_PIXELS, 0x11223344u);
    Visible(BLEND_ADD, 0xFFFFFFFF, 200).visible = 2;
    Visible(BLEND_ADD, 0xFFFFFFFF, 0);
    Visible(BLEND_SUBTRACT, 0xFFFFFFFF, 0);
    Visible(4, 0xFFFFFFFF, 255);  // neither add nor subtract: draws nothing
    CompositeLayers(layers);
    EXPECT_TRUE(
        std::all_of(frameBuffer, frameBuffer + FRAME_PIXELS, [](uint32_t p) { return p == 0x11223344u; }));
    LayerList empty;
    CompositeLayers(empty);
    EXPECT_EQ(frameBuffer[0], 0x11223344u);
}

TEST_F(Compositor, CopyOverwritesAllFourBytesAndIgnoresAmount) {
    std::fill_n(frameBuffer, FRAME_PIXELS, 0xFFFFFFFFu);
    Visible(BLEND_COPY, 0x01020304, 0);
    CompositeLayers(layers);
    EXPECT_EQ(frameBuffer[0], 0x01020304u);
    EXPECT_EQ(frameBuffer[FRAME_PIXELS - 1], 0x01020304u);
}

TEST_F(Compositor, WhiteAtFullAmountStopsOneShortOfWhiteAndBlack) {
    std::fill_n(frameBuffer, FRAME_PIXELS, 0xAB000000u);
    Visible(BLEND_ADD, 0xFFFFFFFF, 255);
    CompositeLayers(layers);
    EXPECT_EQ(frameBuffer[12345], 0xABFEFEFEu);  // fourth byte kept

    std::fill_n(frameBuffer, FRAME_PIXELS, 0x00FFFFFFu);
    layers.items.back()->blend = BLEND_SUBTRACT;
    CompositeLayers(layers);
    EXPECT_EQ(frameBuffer[12345], 0x00010101u);
}

TEST_F(Compositor, AddSaturatesAndBlendThreeAdds) {
    std::fill_n(frameBuffer, FRAME_PIXELS, 0x00F0F0F0u);
    Visible(3, 0xFFFFFFFF, 128);
    CompositeLayers(layers);
    EXPECT_EQ(frameBuffer[7], 0x00FFFFFFu);
}

TEST_F(Compositor, ShortLayerChangesOnlyItsOwnPixels) {
    Layer& layer = Visible(BLEND_ADD, 0xFFFFFFFF, 255);
    layer.pixelCount = 1001;  // not a multiple of four: the tail takes the one-pixel path
    CompositeLayers(layers);
    EXPECT_EQ(frameBuffer[1000], 0x00FEFEFEu);
    EXPECT_EQ(frameBuffer[1001], 0u);
}

TEST_F(Compositor, LayersApplyInListOrder) {
    Visible(BLEND_ADD, 0xFFFFFFFF, 255);       // 0 -> 254
    Visible(BLEND_SUBTRACT, 0x00FFFFFF, 128);  // 254 - 127 = 127
    Visible(BLEND_ADD, 0x00402010, 255);       // + (63, 31, 15)
    CompositeLayers(layers);
    EXPECT_EQ(frameBuffer[99], 0x00BE9E8Eu);
}

// The fast blends, both the four-pixel and the portable one, against the per-channel
// reference on random pictures at every amount.
TEST_F(Compositor, FastBlendsMatchTheReferenceBitForBit) {
    std::mt19937 random(1234);
    const uint32_t count = 4099;
    Layer& layer = AddLayer(layers, BLEND_ADD);
    layer.pixelCount = count;
    std::vector<uint32_t> start(count);
    for (uint32_t i = 0; i < count; ++i) {
        layer.pixels[i] = random();
        start[i] = random();
    }
    std::vector<uint32_t> expected(count);
    std::vector<uint32_t> portable(count);
    for (int amount = 0; amount < 256; ++amount) {
        layer.amount = static_cast<uint8_t>(amount);
        for (bool add : {true, false}) {
            expected = start;
            portable = start;
            std::copy(start.begin(), start.end(), frameBuffer);
            if (add) {
                AddLayerPixelsReference(layer.pixels.get(), expected.data(), count, layer.amount);
                AddLayerPixelsPortable(layer.pixels.get(), portable.data(), count, layer.amount);
                AddLayerPixels(layer);
            } else {
                SubtractLayerPixelsReference(layer.pixels.get(), expected.data(), count, layer.amount);
                SubtractLayerPixelsPortable(layer.pixels.get(), portable.data(), count, layer.amount);
                SubtractLayerPixels(layer);
            }
            ASSERT_TRUE(std::equal(expected.begin(), expected.end(), frameBuffer)) << amount << add;
            ASSERT_TRUE(std::equal(expected.begin(), expected.end(), portable.begin())) << amount << add;
        }
    }
}

TEST(PixelOps, WeightDropsTheFourthByteAndRoundsDown) {
    EXPECT_EQ(WeightPixel(0xFFFFFFFFu, 255), 0x00FEFEFEu);
    EXPECT_EQ(WeightPixel(0xFF804020u, 128), 0x00402010u);
    EXPECT_EQ(WeightPixel(0x00010101u, 255), 0u);
}

}  // namespace
