#include "capture/capture_span.h"

#include <algorithm>

uint64_t FirstPassFrom(uint64_t ms, uint32_t fps) {
    // floor(k * 1000 / fps) >= ms exactly when k * 1000 >= ms * fps, so k = ceil(ms * fps / 1000).
    // ms * fps would overflow for an open end (the largest millisecond count), so whole
    // seconds and the milliseconds left over are multiplied apart.
    const uint64_t seconds = ms / 1000;
    const uint64_t rest = ms % 1000;
    const uint64_t wholePasses = seconds > UINT64_MAX / fps ? UINT64_MAX : seconds * fps;
    const uint64_t restPasses = (rest * fps + 999) / 1000;
    return wholePasses > UINT64_MAX - restPasses ? UINT64_MAX : wholePasses + restPasses;
}

CaptureSpan SpanBetween(uint64_t fromMs, uint64_t toMs, uint32_t lastPass, uint32_t fps) {
    CaptureSpan span;
    span.fps = fps;
    const uint64_t end = std::min<uint64_t>(FirstPassFrom(toMs, fps), uint64_t{lastPass} + 1);
    const uint64_t first = FirstPassFrom(fromMs, fps);
    if (first < end) {
        span.firstPass = static_cast<uint32_t>(first);
        span.frameCount = static_cast<uint32_t>(end - first);
    }
    return span;
}

int64_t SamplesBeforeFrame(uint64_t frame, uint32_t fps, int rate) {
    return static_cast<int64_t>((frame * static_cast<uint64_t>(rate) * 2 + fps) / (2 * uint64_t{fps}));
}
