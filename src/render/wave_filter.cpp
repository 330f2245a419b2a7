#include "render/wave_filter.h"

#include <algorithm>
#include <cstring>

#include "portability.h"
#include "render/float_trig.h"
#include "render/framebuffer.h"
#include "render/random.h"
#include "render/show_constants.h"
#include "render/truncate.h"
#include "render/worker_pool.h"

#ifdef __SSE2__
#include <immintrin.h>
#endif

namespace {

constexpr uint32_t RED_MASK = 0x00FF0000u;
constexpr uint32_t GREEN_BLUE_MASK = 0x0000FFFFu;
constexpr int BAND_PIXELS = 16 * FRAME_WIDTH;  // pixels of the rows one task snapshots and shifts

// Radians per row: 1 / height x 2pi x frequency in double precision, rounded to float.
float WaveNumber(const WaveFilter& wave) {
    return static_cast<float>(1.0 / wave.height * TWO_PI * static_cast<double>(wave.frequency));
}

// The sine part of row y's shift, in pixels.
int SineShift(int y, float k, float phase, int amplitude) {
    const float s = SineOf(static_cast<float>(y) * k + phase);
    return static_cast<int>(TruncateToInteger(s * static_cast<float>(amplitude)));
}

// row[t] for t in [first, end): red from the snapshot in place, green and blue from `shift`
// pixels to the left.
void ShiftPortable(uint32_t* row, const uint32_t* source, int first, int end, int shift) {
    for (int t = first; t < end; ++t) {
        row[t] = (source[t] & RED_MASK) | (source[t - shift] & GREEN_BLUE_MASK);
    }
}

#ifdef __SSE2__
// The same four pixels at a time; returns where it stopped.
int ShiftSse2(uint32_t* row, const uint32_t* source, int first, int end, int shift) {
    const __m128i red = _mm_set1_epi32(static_cast<int>(RED_MASK));
    const __m128i greenBlue = _mm_set1_epi32(static_cast<int>(GREEN_BLUE_MASK));
    int t = first;
    for (; t + 4 <= end; t += 4) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + t));
        const __m128i moved = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + t - shift));
        const __m128i pixel = _mm_or_si128(_mm_and_si128(here, red), _mm_and_si128(moved, greenBlue));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + t), pixel);
    }
    return t;
}
#endif

#ifdef AVX2_INTRINSICS
// Eight pixels at a time; returns where it stopped.
__attribute__((target("avx2"))) int ShiftAvx2(uint32_t* row, const uint32_t* source, int first, int end,
                                              int shift) {
    const __m256i red = _mm256_set1_epi32(static_cast<int>(RED_MASK));
    const __m256i greenBlue = _mm256_set1_epi32(static_cast<int>(GREEN_BLUE_MASK));
    int t = first;
    for (; t + 8 <= end; t += 8) {
        const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + t));
        const __m256i moved = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + t - shift));
        const __m256i pixel =
            _mm256_or_si256(_mm256_and_si256(here, red), _mm256_and_si256(moved, greenBlue));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + t), pixel);
    }
    return t;
}
#endif

// Shifts one row. Pixels that no shifted source reaches keep their unfiltered value.
void ShiftRow(uint32_t* row, const uint32_t* source, int width, int shift, SimdLevel level) {
    int first = std::max(0, shift);
    const int end = std::min(width, width + shift);
#ifdef AVX2_INTRINSICS
    if (level == SimdLevel::Avx2) {
        first = ShiftAvx2(row, source, first, end, shift);
    }
#endif
#ifdef __SSE2__
    if (level == SimdLevel::Sse2) {
        first = ShiftSse2(row, source, first, end, shift);
    }
#endif
    (void)level;
    ShiftPortable(row, source, first, end, shift);
}

// Rows [first, end), each copied into the snapshot and then displaced from its copy.
void ShiftRows(WaveFilter& wave, int first, int end, float k, int amplitude) {
    const size_t width = static_cast<size_t>(wave.width);
    for (int y = first; y < end; ++y) {
        uint32_t* row = frameBuffer + y * width;
        uint32_t* copy = wave.copy.get() + y * width;
        std::memcpy(copy, row, width * sizeof(uint32_t));
        const int shift = SineShift(y, k, wave.phase, amplitude) + wave.rowJitter[y];
        ShiftRow(row, copy, wave.width, shift, wave.hardware.simd);
    }
}

int RowsPerTask(const WaveFilter& wave) {
    return std::max(1, BAND_PIXELS / std::max(1, wave.width));
}

}  // namespace

bool WaveGeometryValid(const WaveFilter& wave) {
    if (!wave.copy || wave.width < 0 || wave.height < 0) {
        return false;
    }
    return static_cast<int64_t>(wave.width) * wave.height <= FRAME_PIXELS;
}

uint32_t SkipWave(WaveFilter& wave) {
    if (!WaveGeometryValid(wave) || wave.enabled != 1) {
        return 0;
    }
    wave.phase = wave.phase * 20.0f;
    return static_cast<uint32_t>(wave.height);
}

void ApplyWave(WaveFilter& wave) {
    // A disabled pass takes no snapshot: a snapshot is read only by the pass that takes it, each
    // row after its own copy, so a disabled pass's would never be read.
    if (!WaveGeometryValid(wave) || wave.enabled != 1) {
        return;
    }
    wave.phase = wave.phase * 20.0f;
    const float k = WaveNumber(wave);
    const int amplitude = std::max<int>(0, wave.amplitude);
    wave.rowJitter.resize(static_cast<size_t>(wave.height));
    for (int& jitter : wave.rowJitter) {
        jitter = NextRandom() % (amplitude + 1);
    }
    RunBands(wave.hardware.pool, wave.height, RowsPerTask(wave),
             [&](int first, int end) { ShiftRows(wave, first, end, k, amplitude); });
}
