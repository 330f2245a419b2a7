#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A file the capture wrote, read back with the FFmpeg libraries.
struct DecodedMedia {
    // Picture track; empty codec when there is none.
    std::string videoCodec;
    std::string pixelFormat;
    int width = 0;
    int height = 0;
    int frameRateNum = 0;  // the stream's average frame rate
    int frameRateDen = 1;
    int frames = 0;
    std::vector<std::vector<uint8_t>> rgbFrames;  // each frame as 8-bit RGB, when asked for

    // Sound track; empty codec when there is none.
    std::string audioCodec;
    int sampleRate = 0;  // the track's own rate
    int channels = 0;
    std::vector<float> samples;  // interleaved stereo float at `sampleRate`, encoder delay removed
    double audioSeconds = 0.0;   // the track's length as the container states it
};

// Reads every packet of `path`; throws std::runtime_error when it cannot. The sound is
// resampled to `sampleRate` when it is not 0 (the file's rate is kept in the record).
DecodedMedia DecodeMedia(const std::string& path, bool keepFrames, int sampleRate = 0);

// The file's top-level box names in order (an MP4's layout: "ftyp", "moov", "mdat", ...).
std::vector<std::string> Mp4TopLevelBoxes(const std::string& path);

// The share of the power of 0.1 s of the left channel of interleaved stereo `samples`, from
// `fromSeconds` on, that lies at `frequency` (the Goertzel filter): about 1 for a pure tone
// at it, near 0 for a tone elsewhere or silence.
double ToneShare(const std::vector<float>& samples, int rate, double fromSeconds, double frequency);
