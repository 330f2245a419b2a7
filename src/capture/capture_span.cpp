#include "capture/capture_span.h"

#include <algorithm>

uint32_t FirstPassFrom(uint64_t ms, uint32_t fps) {
    // floor(k * 1000 / fps) >= ms exactly when k * 1000 >= ms * fps.
    return static_cast<uint32_t>((ms * fps + 999) / 1000);
}

CaptureSpan SpanBetween(uint64_t fromMs, uint64_t toMs, uint32_t lastPass, uint32_t fps) {
    CaptureSpan span;
    span.fps = fps;
    span.firstPass = FirstPassFrom(fromMs, fps);
    const uint64_t end = std::min<uint64_t>(FirstPassFrom(toMs, fps), uint64_t{lastPass} + 1);
    span.frameCount = end > span.firstPass ? static_cast<uint32_t>(end - span.firstPass) : 0;
    return span;
}

int64_t SamplesBeforeFrame(uint64_t frame, uint32_t fps, int rate) {
    return static_cast<int64_t>((frame * static_cast<uint64_t>(rate) * 2 + fps) / (2 * uint64_t{fps}));
}
