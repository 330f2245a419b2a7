#include "render/wave_filter.h"

#include <algorithm>
#include <cstring>

#include "render/float_trig.h"
#include "render/framebuffer.h"
#include "render/random.h"
#include "render/truncate.h"

namespace {

constexpr uint32_t RED_MASK = 0x00FF0000u;
constexpr uint32_t GREEN_BLUE_MASK = 0x0000FFFFu;

// Radians per row: 1 / height x 2pi x frequency in double precision, rounded to float.
float WaveNumber(const WaveFilter& wave) {
    return static_cast<float>(1.0 / wave.height * 6.283185308 * static_cast<double>(wave.frequency));
}

// Sine part plus jitter of row y, in pixels; draws one random value.
int RowShift(int y, float k, float phase, int amplitude) {
    const float s = SineOf(static_cast<float>(y) * k + phase);
    const int64_t sine = TruncateToInteger(s * static_cast<float>(amplitude));
    const int jitter = NextRandom() % (amplitude + 1);
    return static_cast<int>(sine) + jitter;
}

// Green and blue come from `shift` pixels to the left in the snapshot, red from the snapshot
// in place. Pixels that no shifted source reaches keep their unfiltered value.
void ShiftRow(uint32_t* row, const uint32_t* source, int width, int shift) {
    const int first = std::max(0, shift);
    const int end = std::min(width, width + shift);
    for (int t = first; t < end; ++t) {
        row[t] = (source[t] & RED_MASK) | (source[t - shift] & GREEN_BLUE_MASK);
    }
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
    if (!WaveGeometryValid(wave)) {
        return;
    }
    const int width = wave.width;
    std::memcpy(wave.copy.get(), frameBuffer, sizeof(uint32_t) * width * wave.height);
    if (wave.enabled != 1) {
        return;
    }
    wave.phase = wave.phase * 20.0f;
    const float k = WaveNumber(wave);
    const int amplitude = std::max<int>(0, wave.amplitude);
    for (int y = 0; y < wave.height; ++y) {
        const int shift = RowShift(y, k, wave.phase, amplitude);
        const size_t start = static_cast<size_t>(y) * width;
        ShiftRow(frameBuffer + start, wave.copy.get() + start, width, shift);
    }
}
