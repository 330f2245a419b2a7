#include "limiter.h"

#include <algorithm>
#include <cmath>
#include <deque>

#include "timing.h"

namespace music {

namespace {

// The gain each frame needs on its own to stay under the ceiling.
std::vector<float> RequiredGains(const StereoBuffer& buffer, float ceiling) {
    std::vector<float> required(buffer.Frames());
    for (long i = 0; i < buffer.Frames(); ++i) {
        const float peak = std::max(std::fabs(buffer.left[i]), std::fabs(buffer.right[i]));
        required[i] = peak > ceiling ? ceiling / peak : 1.0f;
    }
    return required;
}

// For each frame, the smallest value among it and the `window` frames after it.
std::vector<float> MinimumAhead(const std::vector<float>& values, long window) {
    const long frames = static_cast<long>(values.size());
    std::vector<float> minimum(frames);
    std::deque<long> candidates;  // indices whose values rise from front to back
    for (long i = frames - 1; i >= 0; --i) {
        while (!candidates.empty() && values[candidates.back()] >= values[i]) {
            candidates.pop_back();
        }
        candidates.push_back(i);
        while (candidates.front() > i + window) {
            candidates.pop_front();
        }
        minimum[i] = values[candidates.front()];
    }
    return minimum;
}

// Falls at once, recovers exponentially.
void ApplyRelease(std::vector<float>& gains, double releaseSeconds) {
    const float recovery = static_cast<float>(1.0 - std::exp(-1.0 / (releaseSeconds * kSampleRate)));
    float gain = 1.0f;
    for (float& value : gains) {
        gain = std::min(value, gain + (1.0f - gain) * recovery);
        value = gain;
    }
}

// Each frame becomes the mean of itself and the `window` frames before it. Every frame of that
// span already holds a gain no higher than a peak at its end needs, so the mean does too.
void SmoothBackwards(std::vector<float>& gains, long window) {
    std::vector<float> smoothed(gains.size());
    // Frames before the start count as gain 1, the level of silence.
    double sum = static_cast<double>(window + 1);
    for (long i = 0; i < static_cast<long>(gains.size()); ++i) {
        sum += gains[i] - (i > window ? gains[i - window - 1] : 1.0f);
        smoothed[i] = static_cast<float>(sum / (window + 1));
    }
    gains.swap(smoothed);
}

}  // namespace

std::vector<float> Limiter::Gains(const StereoBuffer& buffer) const {
    const long window = std::max(1L, static_cast<long>(lookAheadSeconds * kSampleRate));
    std::vector<float> gains = MinimumAhead(RequiredGains(buffer, ceiling), window);
    ApplyRelease(gains, releaseSeconds);
    SmoothBackwards(gains, window);
    return gains;
}

void Limiter::Process(StereoBuffer& buffer) const {
    const std::vector<float> gains = Gains(buffer);
    for (long i = 0; i < buffer.Frames(); ++i) {
        buffer.left[i] *= gains[i];
        buffer.right[i] *= gains[i];
    }
}

}  // namespace music
