#pragma once
#include <memory>

#include "capture/capture_writer.h"

// The sound alone as a 16-bit PCM WAV file at the music's rate, in stereo: exactly the samples
// that lie before the end of the last frame (silence where there is no music), each float
// sample scaled by 32768, rounded to the nearest and clipped, as the show's 16-bit sound
// output converts them.
std::unique_ptr<CaptureWriter> OpenWavFile(const CaptureSettings& settings, MusicSource* music);
