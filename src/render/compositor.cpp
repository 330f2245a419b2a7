#include "render/compositor.h"

#include <algorithm>
#include <cstring>

#include "render/framebuffer.h"
#include "render/pixel_ops.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// A layer never reaches past the framebuffer, whatever its pixel count claims.
uint32_t CoveredPixels(const Layer& layer) {
    return std::min<uint32_t>(layer.pixelCount, FRAME_PIXELS);
}

#if defined(__SSE2__)
// Weights four pixels at once with 16-bit multiplies: (channel * amount) >> 8 for blue and
// red in one product, green in the other, the fourth byte dropped. Equal to WeightPixel.
__m128i WeightFourPixels(__m128i pixels, __m128i amount) {
    const __m128i lowBytes = _mm_set1_epi32(0x00FF00FF);
    const __m128i greenByte = _mm_set1_epi32(0x0000FF00);
    __m128i redBlue = _mm_srli_epi16(_mm_mullo_epi16(_mm_and_si128(pixels, lowBytes), amount), 8);
    __m128i greenAlpha = _mm_and_si128(_mm_srli_epi32(pixels, 8), lowBytes);
    __m128i green = _mm_and_si128(_mm_mullo_epi16(greenAlpha, amount), greenByte);
    return _mm_or_si128(redBlue, green);
}

template <bool add>
uint32_t BlendFourAtATime(const uint32_t* source, uint32_t* target, uint32_t count, uint8_t amount) {
    const __m128i weight = _mm_set1_epi16(static_cast<int16_t>(amount));
    uint32_t p = 0;
    for (; p + 4 <= count; p += 4) {
        __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + p));
        __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(target + p));
        __m128i w = WeightFourPixels(s, weight);
        __m128i result = add ? _mm_adds_epu8(f, w) : _mm_subs_epu8(f, w);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target + p), result);
    }
    return p;
}
#else
template <bool add>
uint32_t BlendFourAtATime(const uint32_t*, uint32_t*, uint32_t, uint8_t) {
    return 0;
}
#endif

}  // namespace

void AddLayerPixelsPortable(const uint32_t* source, uint32_t* target, uint32_t count, uint8_t amount) {
    for (uint32_t p = 0; p < count; ++p) {
        target[p] = SaturatingAddBytes(target[p], WeightPixel(source[p], amount));
    }
}

void SubtractLayerPixelsPortable(const uint32_t* source, uint32_t* target, uint32_t count, uint8_t amount) {
    for (uint32_t p = 0; p < count; ++p) {
        target[p] = SaturatingSubtractBytes(target[p], WeightPixel(source[p], amount));
    }
}

void AddLayerPixels(const Layer& layer) {
    uint32_t count = CoveredPixels(layer);
    uint32_t done = BlendFourAtATime<true>(layer.pixels.get(), frameBuffer, count, layer.amount);
    AddLayerPixelsPortable(layer.pixels.get() + done, frameBuffer + done, count - done, layer.amount);
}

void SubtractLayerPixels(const Layer& layer) {
    uint32_t count = CoveredPixels(layer);
    uint32_t done = BlendFourAtATime<false>(layer.pixels.get(), frameBuffer, count, layer.amount);
    SubtractLayerPixelsPortable(layer.pixels.get() + done, frameBuffer + done, count - done, layer.amount);
}

bool LayersCoverFrame(const LayerList& list) {
    for (const auto& slot : list.items) {
        if (slot != nullptr && slot->visible == 1 && slot->blend == BLEND_COPY &&
            CoveredPixels(*slot) == FRAME_PIXELS) {
            return true;
        }
    }
    return false;
}

void CompositeLayers(const LayerList& list) {
    for (const auto& slot : list.items) {
        if (slot == nullptr || slot->visible != 1) {
            continue;
        }
        const Layer& layer = *slot;
        if (layer.blend == BLEND_COPY) {
            std::memcpy(frameBuffer, layer.pixels.get(), CoveredPixels(layer) * sizeof(uint32_t));
        } else if (layer.blend & BLEND_ADD) {
            AddLayerPixels(layer);
        } else if (layer.blend & BLEND_SUBTRACT) {
            SubtractLayerPixels(layer);
        }
    }
}
