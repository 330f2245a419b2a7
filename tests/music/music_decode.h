#pragma once
#include <string>
#include <vector>

// The decoded soundtrack and the measurements the music tests make on it.
struct DecodedAudio {
    long rate = 0;
    std::vector<float> left;
    std::vector<float> right;

    double Seconds() const { return static_cast<double>(left.size()) / rate; }
};

// Decodes an MP3 file to float samples with libmpg123, gapless information honoured.
// Fails the current test (and returns empty audio) if the file cannot be decoded.
DecodedAudio DecodeMp3File(const std::string& path);
DecodedAudio DecodeMp3Bytes(const std::vector<unsigned char>& bytes);

// Root mean square of both channels over [start, end) seconds, in dB relative to full scale.
double LoudnessDb(const DecodedAudio& audio, double start, double end);

// Largest absolute sample of either channel.
float PeakLevel(const DecodedAudio& audio);

// The sharpest rise in short-time energy within `radius` seconds of `seconds`: where it starts
// and by how many dB the 10 ms after that moment are louder than the 30 ms before it.
struct Onset {
    double seconds = 0.0;
    double riseDb = 0.0;
};
Onset SharpestRiseNear(const DecodedAudio& audio, double seconds, double radius);
