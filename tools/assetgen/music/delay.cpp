#include "delay.h"

#include <vector>

#include "filter.h"
#include "timing.h"

namespace music {

void PingPongDelay::Process(const StereoBuffer& send, StereoBuffer& out) const {
    const long length = static_cast<long>(delaySeconds * kSampleRate + 0.5);
    std::vector<float> leftLine(length, 0.0f), rightLine(length, 0.0f);
    OnePole leftTone, rightTone;
    leftTone.Tune(darkenHertz);
    rightTone.Tune(darkenHertz);
    long position = 0;
    for (long i = 0; i < send.Frames(); ++i) {
        const float input = 0.5f * (send.left[i] + send.right[i]);
        const float leftEcho = leftLine[position];
        const float rightEcho = rightLine[position];
        // The first echo comes from the left; each echo crosses to the other side.
        leftLine[position] = leftTone.Process(input + rightEcho * feedback);
        rightLine[position] = rightTone.Process(leftEcho);
        out.Add(i, leftEcho, rightEcho);
        position = (position + 1) % length;
    }
}

}  // namespace music
