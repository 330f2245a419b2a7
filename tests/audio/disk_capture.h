#pragma once
#include <string>
#include <vector>

#include "../support/temp_path.h"

// Routes the audio device to SDL's disk driver, which writes every frame the program plays
// (stereo 32-bit floats) into a file, about twenty times faster than real time. The device
// plays silence from the moment it opens, so a capture starts with zeros before the music; on
// a busy machine those can be seconds of it, since the audio thread runs on while the program
// loads the music. Every measure therefore counts from the music's first frame.
struct DiskCapture {
    std::string path;
};

DiskCapture StartDiskCapture(const std::string& name);
// Waits (at most 20 s) until the file holds at least `seconds` of audio from the music's
// first frame on.
bool WaitForCapturedMusic(const DiskCapture& capture, double seconds);
// The captured samples from the first one that is not zero: the music from its start.
std::vector<float> ReadCapturedMusic(const DiskCapture& capture);
// Stereo samples from the first frame that is not all zeros.
std::vector<float> DropLeadingSilence(std::vector<float> samples);
// Root mean square of the captured stereo samples between two times in seconds.
double RootMeanSquare(const std::vector<float>& samples, double from, double to);
// How often one channel (0 left, 1 right) of the stereo samples goes from below zero to zero
// or above between two times in seconds: a tone's frequency times the span.
int UpwardCrossings(const std::vector<float>& samples, int channel, double from, double to);
