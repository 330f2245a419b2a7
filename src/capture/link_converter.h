#pragma once
#include <vector>

// Converts the frames of a chained stream's link whose rate or channel count is not the
// track's into stereo float frames at the track's rate, as the show playing it does (a mono
// link on both sides at its own level). Linux converts with libswresample, Windows with the
// sample converter its sound output uses.
struct LinkConverter;

// Throws CaptureError when it cannot be set up.
LinkConverter* OpenLinkConverter(int rate, int channels, int trackRate);
// Converts `count` interleaved frames of the link (`input` nullptr: the frames the converter
// still holds, at the link's end) and appends the stereo frames to `output`; returns how many
// frames it appended. Throws CaptureError.
int ConvertLink(LinkConverter* converter, const float* input, int count, std::vector<float>& output);
void FreeLinkConverter(LinkConverter* converter);
