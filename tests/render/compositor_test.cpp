#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "render/blend_pixels.h"
#include "render/compositor.h"
#include "render/compositor_reference.h"
#include "render/framebuffer.h"
#include "support/draw_hardware_cases.h"

namespace {

struct LayerSetup {
    uint8_t blend;
    uint32_t fill;
    uint8_t amount;
    uint8_t visible = 1;
};

Layer& AddFilled(LayerList& layers, const LayerSetup& setup) {
    Layer& layer = AddLayer(layers, setup.blend);
    FillLayer(layer, setup.fill);
    layer.visible = setup.visible;
    layer.amount = setup.amount;
    return layer;
}

bool FrameIs(uint32_t value) {
    return std::all_of(frameBuffer, frameBuffer + FRAME_PIXELS, [value](uint32_t p) { return p == value; });
}

TEST(Compositor, NewLayerIsZeroedFullScreenAndHidden) {
    LayerList layers;
    Layer& layer = AddLayer(layers, BLEND_SUBTRACT);
    EXPECT_EQ(layer.visible, 0);
    EXPECT_EQ(layer.amount, 0);
    EXPECT_EQ(layer.pixelCount, 307200u);
    EXPECT_TRUE(
        std::all_of(layer.pixels.get(), layer.pixels.get() + 307200, [](uint32_t p) { return p == 0; }));
}

TEST(Compositor, FullScreenLayersGiveTheExpectedFrame) {
    struct Case {
        uint32_t start;
        std::vector<LayerSetup> layers;
        uint32_t expected;
        bool covers = false;  // nothing of the start shows through
    };
    const Case cases[] = {
        {0x11223344u, {}, 0x11223344u},
        // Only exactly visible layers with a weight and an add, subtract or copy blend draw.
        {0x11223344u,
         {{BLEND_ADD, 0xFFFFFFFFu, 200, 2},
          {BLEND_ADD, 0xFFFFFFFFu, 0},
          {BLEND_SUBTRACT, 0xFFFFFFFFu, 0},
          {4, 0xFFFFFFFFu, 255}},
         0x11223344u},
        {0xFFFFFFFFu, {{BLEND_COPY, 0x01020304u, 0}}, 0x01020304u, true},  // all four bytes, any amount
        {0x11223344u, {{BLEND_COPY, 0x01020304u, 0, 2}}, 0x11223344u},
        // White at full amount stops one short of white and of black; the fourth byte is kept.
        {0xAB000000u, {{BLEND_ADD, 0xFFFFFFFFu, 255}}, 0xABFEFEFEu},
        {0x00FFFFFFu, {{BLEND_SUBTRACT, 0xFFFFFFFFu, 255}}, 0x00010101u},
        {0x00F0F0F0u, {{3, 0xFFFFFFFFu, 128}}, 0x00FFFFFFu},  // blend 3 adds; adding saturates
        // In list order: 0 -> 254, - 127, + (63, 31, 15).
        {0u,
         {{BLEND_ADD, 0xFFFFFFFFu, 255}, {BLEND_SUBTRACT, 0x00FFFFFFu, 128}, {BLEND_ADD, 0x00402010u, 255}},
         0x00BE9E8Eu},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        std::fill_n(frameBuffer, FRAME_PIXELS, c.start);
        LayerList layers;
        for (const LayerSetup& setup : c.layers) {
            AddFilled(layers, setup);
        }
        EXPECT_EQ(LayersCoverFrame(layers), c.covers);
        CompositeLayers(layers);
        EXPECT_TRUE(FrameIs(c.expected)) << std::hex << frameBuffer[0];
    }
}

TEST(Compositor, ShortLayerChangesOnlyItsOwnPixels) {
    std::fill_n(frameBuffer, FRAME_PIXELS, 0u);
    LayerList layers;
    AddFilled(layers, {BLEND_ADD, 0xFFFFFFFFu, 255}).pixelCount = 1001;  // the tail takes one pixel
    AddFilled(layers, {BLEND_COPY, 0u, 0}).pixelCount = 1000;
    EXPECT_FALSE(LayersCoverFrame(layers));
    CompositeLayers(layers);
    EXPECT_EQ(frameBuffer[999], 0u);
    EXPECT_EQ(frameBuffer[1000], 0x00FEFEFEu);
    EXPECT_EQ(frameBuffer[1001], 0u);
}

// The packed blends at every vector level this processor has, against the per-channel
// reference on random pictures at every amount, with counts that leave every remainder.
TEST(Compositor, PackedBlendsMatchTheReferenceBitForBit) {
    std::mt19937 random(1234);
    const uint32_t count = 4099;
    std::vector<uint32_t> source(count), start(count);
    for (uint32_t i = 0; i < count; ++i) {
        source[i] = random();
        start[i] = random();
    }
    for (SimdLevel level : {SimdLevel::Portable, SimdLevel::Sse2, SimdLevel::Avx2}) {
        if (!SimdLevelAvailable(level)) {
            continue;
        }
        for (int amount = 0; amount < 256; ++amount) {
            const auto weight = static_cast<uint8_t>(amount);
            for (bool add : {true, false}) {
                const uint32_t length = count - amount % 8;
                std::vector<uint32_t> expected = start, packed = start;
                if (add) {
                    AddLayerPixelsReference(source.data(), expected.data(), length, weight);
                    AddPixels(source.data(), packed.data(), length, weight, level);
                } else {
                    SubtractLayerPixelsReference(source.data(), expected.data(), length, weight);
                    SubtractPixels(source.data(), packed.data(), length, weight, level);
                }
                ASSERT_EQ(expected, packed) << SimdLevelName(level) << " amount " << amount << " add " << add;
            }
        }
    }
}

// Whole stacks of layers in every blend, visible or not, full-screen and short (ending inside a
// band of rows), composited on every hardware exactly as the reference compositor does.
TEST(Compositor, LayerStacksMatchTheReferenceOnEveryHardware) {
    std::mt19937 random(99);
    for (int trial = 0; trial < 12; ++trial) {
        SCOPED_TRACE(trial);
        LayerList layers;
        for (int i = 0; i < 6; ++i) {
            Layer& layer = AddLayer(layers, static_cast<uint8_t>(random() % 5));
            for (uint32_t p = 0; p < layer.pixelCount; ++p) {
                layer.pixels[p] = random();
            }
            layer.visible = static_cast<uint8_t>(random() % 4 == 0 ? 2 : 1);
            layer.amount = static_cast<uint8_t>(random());
            layer.pixelCount =
                random() % 3 == 0 ? static_cast<uint32_t>(random() % FRAME_PIXELS) : FRAME_PIXELS;
        }
        std::vector<uint32_t> start(FRAME_PIXELS);
        std::generate(start.begin(), start.end(), [&] { return static_cast<uint32_t>(random()); });
        std::copy(start.begin(), start.end(), frameBuffer);
        CompositeLayersReference(layers);
        const std::vector<uint32_t> expected(frameBuffer, frameBuffer + FRAME_PIXELS);
        for (const DrawHardwareCase& hardware : EveryDrawHardware()) {
            layers.hardware = hardware.hardware;
            std::copy(start.begin(), start.end(), frameBuffer);
            CompositeLayers(layers);
            ASSERT_TRUE(std::equal(expected.begin(), expected.end(), frameBuffer)) << hardware.name;
        }
    }
}

}  // namespace
