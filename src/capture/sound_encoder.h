#pragma once
#include <cstdint>

#include "capture/capture_format.h"

struct AVAudioFifo;
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct SwrContext;

// The sound track of a file: interleaved float frames in, converted (and resampled only
// where the encoder needs another rate) into the encoder's format, cut into the encoder's
// frames and written to the container. The track holds exactly `targetSamples` samples:
// input past them is dropped and silence fills up to them.
struct SoundEncoder {
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    SwrContext* converter = nullptr;
    AVAudioFifo* pending = nullptr;  // converted samples not yet sent to the encoder
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    uint8_t** converted = nullptr;  // the converter's output, CONVERT_CAPACITY samples
    int inputChannels = 0;
    int frameSize = 0;  // samples per encoder frame
    int64_t targetSamples = 0;
    int64_t queuedSamples = 0;  // samples put into `pending` so far
    int64_t sentSamples = 0;    // samples given to the encoder so far (the next pts)
};

// The rate the encoder of `format` records at, given the music's rate.
int SoundRateFor(CaptureFormat format, int inputRate);

// Adds the sound stream to `container` and opens its encoder and converter. The track's
// length is `targetSamples` at SoundRateFor(format, inputRate). Throws CaptureError.
void OpenSoundEncoder(SoundEncoder& sound, AVFormatContext* container, CaptureFormat format, int inputRate,
                      int inputChannels, int64_t targetSamples);
// Encodes `count` interleaved float frames.
void EncodeSound(SoundEncoder& sound, AVFormatContext* container, const float* frames, int count);
// Drains the converter, fills the track up to its length and flushes the encoder.
void FinishSound(SoundEncoder& sound, AVFormatContext* container);
void CloseSoundEncoder(SoundEncoder& sound);
