#pragma once
#include <cstdint>

// The passes a capture writes on the fixed-step clock: pass k reads floor(k * 1000 / fps)
// milliseconds, and frame i of the file is pass firstPass + i, shown at i / fps seconds.
struct CaptureSpan {
    uint32_t fps = 60;
    uint32_t firstPass = 0;
    uint32_t frameCount = 0;
};

// The first pass whose clock reading is at least `ms` milliseconds, for any `ms` (an open
// end is the largest count) at any rate; UINT64_MAX where that pass lies beyond it.
uint64_t FirstPassFrom(uint64_t ms, uint32_t fps);

// The passes whose clock reading t satisfies fromMs <= t < toMs, cut at `lastPass`, the
// last pass the show draws. frameCount is 0 (and firstPass 0) when no pass falls in between.
CaptureSpan SpanBetween(uint64_t fromMs, uint64_t toMs, uint32_t lastPass, uint32_t fps);

// The number of samples of a `rate` Hz track that lie before frame `frame` at `fps`
// frames a second (frame 0 at time 0), rounded to the nearest sample.
int64_t SamplesBeforeFrame(uint64_t frame, uint32_t fps, int rate);
