#include "reverb.h"

namespace music {

namespace {

constexpr long kCombLengths[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr long kAllpassLengths[] = {556, 441, 341, 225};
constexpr long kStereoSpread = 23;
constexpr float kInputGain = 0.015f;
constexpr float kAllpassFeedback = 0.5f;

float RunComb(Reverb::Comb& comb, float input, float feedback, float damping) {
    const float output = comb.line[comb.position];
    comb.filtered = output * (1.0f - damping) + comb.filtered * damping;
    comb.line[comb.position] = input + comb.filtered * feedback;
    comb.position = (comb.position + 1) % static_cast<long>(comb.line.size());
    return output;
}

float RunAllpass(Reverb::Allpass& allpass, float input) {
    const float delayed = allpass.line[allpass.position];
    allpass.line[allpass.position] = input + delayed * kAllpassFeedback;
    allpass.position = (allpass.position + 1) % static_cast<long>(allpass.line.size());
    return delayed - input;
}

}  // namespace

Reverb::Reverb() {
    for (int side = 0; side < 2; ++side) {
        for (const long length : kCombLengths) {
            combs[side].push_back({std::vector<float>(length + side * kStereoSpread, 0.0f)});
        }
        for (const long length : kAllpassLengths) {
            allpasses[side].push_back({std::vector<float>(length + side * kStereoSpread, 0.0f)});
        }
    }
}

void Reverb::Process(const StereoBuffer& send, StereoBuffer& out) {
    for (long i = 0; i < send.Frames(); ++i) {
        const float input = (send.left[i] + send.right[i]) * kInputGain;
        float wet[2] = {0.0f, 0.0f};
        for (int side = 0; side < 2; ++side) {
            for (Comb& comb : combs[side]) {
                wet[side] += RunComb(comb, input, feedback, damping);
            }
            for (Allpass& allpass : allpasses[side]) {
                wet[side] = RunAllpass(allpass, wet[side]);
            }
        }
        out.Add(i, wet[0], wet[1]);
    }
}

}  // namespace music
