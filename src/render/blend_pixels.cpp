#include "render/blend_pixels.h"

#include "portability.h"
#include "render/pixel_ops.h"

#ifdef __SSE2__
#include <immintrin.h>
#endif

namespace {

template <bool kAdd>
void BlendPortable(const uint32_t* source, uint32_t* target, uint32_t count, uint8_t amount) {
    for (uint32_t p = 0; p < count; ++p) {
        const uint32_t weighted = WeightPixel(source[p], amount);
        target[p] =
            kAdd ? SaturatingAddBytes(target[p], weighted) : SaturatingSubtractBytes(target[p], weighted);
    }
}

#ifdef __SSE2__
// Weights four pixels at once with 16-bit multiplies: (channel x amount) >> 8 for blue and red
// in one product, green in the other, the fourth byte dropped. Equal to WeightPixel.
__m128i WeightFourPixels(__m128i pixels, __m128i amount) {
    const __m128i lowBytes = _mm_set1_epi32(0x00FF00FF);
    const __m128i greenByte = _mm_set1_epi32(0x0000FF00);
    const __m128i redBlue = _mm_srli_epi16(_mm_mullo_epi16(_mm_and_si128(pixels, lowBytes), amount), 8);
    const __m128i greenAlpha = _mm_and_si128(_mm_srli_epi32(pixels, 8), lowBytes);
    const __m128i green = _mm_and_si128(_mm_mullo_epi16(greenAlpha, amount), greenByte);
    return _mm_or_si128(redBlue, green);
}

// Blends the whole groups of four; returns the pixels done.
template <bool kAdd>
uint32_t BlendSse2(const uint32_t* source, uint32_t* target, uint32_t count, uint8_t amount) {
    const __m128i weight = _mm_set1_epi16(static_cast<int16_t>(amount));
    uint32_t p = 0;
    for (; p + 4 <= count; p += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + p));
        const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(target + p));
        const __m128i w = WeightFourPixels(s, weight);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target + p),
                         kAdd ? _mm_adds_epu8(f, w) : _mm_subs_epu8(f, w));
    }
    return p;
}
#endif

#ifdef AVX2_INTRINSICS
// The same, eight pixels at once; returns the pixels done.
template <bool kAdd>
__attribute__((target("avx2"))) uint32_t BlendAvx2(const uint32_t* source, uint32_t* target, uint32_t count,
                                                   uint8_t amount) {
    const __m256i weight = _mm256_set1_epi16(static_cast<int16_t>(amount));
    const __m256i lowBytes = _mm256_set1_epi32(0x00FF00FF);
    const __m256i greenByte = _mm256_set1_epi32(0x0000FF00);
    uint32_t p = 0;
    for (; p + 8 <= count; p += 8) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + p));
        const __m256i f = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(target + p));
        const __m256i redBlue =
            _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_and_si256(s, lowBytes), weight), 8);
        const __m256i greenAlpha = _mm256_and_si256(_mm256_srli_epi32(s, 8), lowBytes);
        const __m256i green = _mm256_and_si256(_mm256_mullo_epi16(greenAlpha, weight), greenByte);
        const __m256i w = _mm256_or_si256(redBlue, green);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(target + p),
                            kAdd ? _mm256_adds_epu8(f, w) : _mm256_subs_epu8(f, w));
    }
    return p;
}
#endif

template <bool kAdd>
void Blend(const uint32_t* source, uint32_t* target, uint32_t count, uint8_t amount, SimdLevel level) {
    uint32_t done = 0;
#ifdef AVX2_INTRINSICS
    if (level == SimdLevel::Avx2) {
        done = BlendAvx2<kAdd>(source, target, count, amount);
    }
#endif
#ifdef __SSE2__
    if (level == SimdLevel::Sse2) {
        done = BlendSse2<kAdd>(source, target, count, amount);
    }
#endif
    (void)level;
    BlendPortable<kAdd>(source + done, target + done, count - done, amount);
}

}  // namespace

void AddPixels(const uint32_t* source, uint32_t* target, uint32_t count, uint8_t amount, SimdLevel level) {
    Blend<true>(source, target, count, amount, level);
}

void SubtractPixels(const uint32_t* source, uint32_t* target, uint32_t count, uint8_t amount,
                    SimdLevel level) {
    Blend<false>(source, target, count, amount, level);
}
