#pragma once
#include <cstdint>
#include <vector>

#include "audio/decoder.h"
#include "audio/sample_converter.h"

// One loaded module or stream: its decoder, the converter from the decoder's rate and
// channel count to the device's stereo float frames, and its playback state.
struct AudioChannel {
    uint32_t handle = 0;
    bool isModule = false;
    Decoder decoder;
    SampleConverter* converter = nullptr;
    int converterRate = 0;  // the rate and channel count the converter takes
    int converterChannels = 0;
    int outputRate = 0;  // the device's frames per second
    bool playing = false;
    bool decoderEnded = false;        // the decoder has given its last frame
    std::vector<float> decodeBuffer;  // decoder output before conversion
    std::vector<float> carried;       // converted frames left by the converter of an earlier format
    std::vector<float> mixBuffer;     // converted frames before they are added to the output
};

// Creates the converter and buffers for a channel whose decoder is open; false if out of memory.
bool PrepareChannel(AudioChannel& channel, int outputRate);
// To `milliseconds` into the music, with nothing left in the converter.
void SeekChannel(AudioChannel& channel, uint64_t milliseconds);
// Adds `sampleCount` float samples (stereo interleaved) of the channel to `output`;
// stops the channel when its stream has run out.
void MixChannel(AudioChannel& channel, float* output, int sampleCount);
void ReleaseChannel(AudioChannel& channel);
