#include "render/wave_filter_reference.h"

#include <cmath>

#include "render/framebuffer.h"
#include "render/random.h"
#include "render/show_constants.h"
#include "render/truncate.h"

void ApplyWaveReference(WaveFilter& wave) {
    if (!WaveGeometryValid(wave)) {
        return;
    }
    const int width = wave.width;
    const int height = wave.height;
    uint32_t* copy = wave.copy.get();
    for (int i = 0; i < width * height; ++i) {
        copy[i] = frameBuffer[i];
    }
    if (wave.enabled != 1) {
        return;
    }
    wave.phase = wave.phase * 20.0f;
    const float k = static_cast<float>(1.0 / height * TWO_PI * static_cast<double>(wave.frequency));
    const int amplitude = wave.amplitude < 0 ? 0 : wave.amplitude;
    for (int y = 0; y < height; ++y) {
        const float s =
            static_cast<float>(std::sin(static_cast<double>(static_cast<float>(y) * k + wave.phase)));
        const int sine = static_cast<int>(TruncateToInteger(s * static_cast<float>(amplitude)));
        const int jitter = NextRandom() % (amplitude + 1);
        const int shift = sine + jitter;
        for (int x = 0; x < width; ++x) {
            const int t = x + shift;
            if (t >= 0 && t < width) {
                const uint32_t red = (copy[y * width + t] >> 16) & 0xFFu;
                const uint32_t green = (copy[y * width + x] >> 8) & 0xFFu;
                const uint32_t blue = copy[y * width + x] & 0xFFu;
                frameBuffer[y * width + t] = red * 65536u + green * 256u + blue;
            }
        }
    }
}
