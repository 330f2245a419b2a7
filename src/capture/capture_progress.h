#pragma once
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

// How far a capture has come: on a terminal, one line on standard error redrawn in place
// a few times a second; at the end, one summary line on standard output.
struct CaptureProgress {
    using Clock = std::chrono::steady_clock;

    std::FILE* terminal = nullptr;  // standard error when it is a terminal, else nothing is drawn
    uint32_t totalFrames = 0;
    uint32_t fps = 60;
    Clock::time_point started;
    Clock::time_point lastDrawn;
    bool drawn = false;
};

void StartProgress(CaptureProgress& progress, uint32_t totalFrames, uint32_t fps);
// Redraws the line if it is due (and always for the last frame).
void UpdateProgress(CaptureProgress& progress, uint32_t framesDone);
// Clears the line, so that what follows starts on a clean one.
void EndProgress(CaptureProgress& progress);
double SecondsSinceStart(const CaptureProgress& progress);

// "  42%  4939/11761 frames  elapsed 0:20  left 0:28  4.1x real time"
std::string ProgressLine(uint32_t framesDone, uint32_t totalFrames, uint32_t fps, double elapsedSeconds);
// "show.mp4: 11761 frames, 196.02 s, 23.4 MB, written in 41.3 s, 4.75x real time"
std::string SummaryLine(const std::string& path, uint32_t frames, uint32_t fps, int64_t bytes,
                        double elapsedSeconds);
