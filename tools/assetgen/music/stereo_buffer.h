#pragma once
#include <vector>

namespace music {

// Two channels of float samples at the piece's sample rate, full scale at 1.0.
struct StereoBuffer {
    std::vector<float> left;
    std::vector<float> right;

    explicit StereoBuffer(long frames = 0) : left(frames, 0.0f), right(frames, 0.0f) {}

    long Frames() const { return static_cast<long>(left.size()); }

    // Adds one frame; frames outside the buffer are dropped, so notes may ring past its end.
    void Add(long frame, float l, float r) {
        if (frame >= 0 && frame < Frames()) {
            left[frame] += l;
            right[frame] += r;
        }
    }

    void Clear() {
        std::fill(left.begin(), left.end(), 0.0f);
        std::fill(right.begin(), right.end(), 0.0f);
    }
};

}  // namespace music
