#pragma once
#include <string>
#include <vector>

// Music files the audio tests write for themselves.

// A four-channel module with one looping square-wave sample: the note sounds on row 0 and
// is silenced on row 32; at one tick per row the song lasts 1.28 s.
void WriteSquareWaveModule(const std::string& path);
// An MP3 of `seconds` of stereo sines (440 Hz left, 660 Hz right) at 44100 Hz.
void WriteSineMp3(const std::string& path, double seconds);
// An MP3 of `seconds` of rising tones (left) and a falling one over noise (right), so that no
// two stretches of it are alike.
void WriteChirpMp3(const std::string& path, double seconds);
// An Ogg Vorbis file of `seconds` of a mono 440 Hz sine at 22050 Hz, so that playing it
// needs both a rate and a channel conversion.
void WriteSineOgg(const std::string& path, double seconds);
// One stream of a chained Ogg Vorbis file: `seconds` of a 440 Hz sine in the first channel
// and a 660 Hz one in the others.
struct OggLink {
    int channels;
    int rate;
    double seconds;
};
// An Ogg Vorbis file of streams one after the other, each with its own serial number.
void WriteChainedOgg(const std::string& path, const std::vector<OggLink>& links);
