#pragma once
#include <memory>

#include "capture/capture_writer.h"

// A video or sound file (.mp4, .mkv, .webm, .webp, .wav, .flac) written through libavformat.
std::unique_ptr<CaptureWriter> OpenMediaFile(const CaptureSettings& settings, MusicSource* music);
