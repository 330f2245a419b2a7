#pragma once
#include <string>
#include <vector>

// Decoded MP3 audio and the measurements the music and audio tests make on it.
struct DecodedAudio {
    static constexpr long kRate = 44100;
    std::vector<float> samples;  // interleaved stereo

    long Frames() const { return static_cast<long>(samples.size() / 2); }
    double Seconds() const { return static_cast<double>(Frames()) / kRate; }
};

// Decodes an MP3 to 44.1 kHz float stereo with libmpg123, gapless information honoured, as the
// show's audio layer does. Fails the current test if the file cannot be decoded.
DecodedAudio DecodeMp3File(const std::string& path);

// Root mean square of both channels over [start, end) seconds, in dB relative to full scale.
double LoudnessDb(const DecodedAudio& audio, double start, double end);

// The sharpest rise in short-time energy within `radius` seconds of `seconds`: where it starts
// and by how many dB the 10 ms after that moment are louder than the 30 ms before it.
struct Onset {
    double seconds = 0.0;
    double riseDb = 0.0;
};
Onset SharpestRiseNear(const DecodedAudio& audio, double seconds, double radius);
