#include "capture/capture_progress.h"

#include <unistd.h>

#include <cmath>

namespace {

constexpr auto REDRAW_INTERVAL = std::chrono::milliseconds(100);

std::string MinutesAndSeconds(double seconds) {
    const long whole = std::lround(std::max(seconds, 0.0));
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

std::string ByteSize(int64_t bytes) {
    char text[32];
    if (bytes >= 1000 * 1000) {
        std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
    } else {
        std::snprintf(text, sizeof text, "%.1f kB", static_cast<double>(bytes) / 1e3);
    }
    return text;
}

double TimesRealTime(uint32_t frames, uint32_t fps, double elapsedSeconds) {
    return elapsedSeconds > 0.0 ? static_cast<double>(frames) / fps / elapsedSeconds : 0.0;
}

}  // namespace

void StartProgress(CaptureProgress& progress, uint32_t totalFrames, uint32_t fps) {
    progress.terminal = isatty(STDERR_FILENO) ? stderr : nullptr;
    progress.totalFrames = totalFrames;
    progress.fps = fps;
    progress.started = CaptureProgress::Clock::now();
    progress.drawn = false;
}

void UpdateProgress(CaptureProgress& progress, uint32_t framesDone) {
    if (progress.terminal == nullptr) {
        return;
    }
    const auto now = CaptureProgress::Clock::now();
    if (progress.drawn && now - progress.lastDrawn < REDRAW_INTERVAL && framesDone < progress.totalFrames) {
        return;
    }
    const std::string line =
        ProgressLine(framesDone, progress.totalFrames, progress.fps, SecondsSinceStart(progress));
    std::fprintf(progress.terminal, "\r%s\033[K", line.c_str());
    std::fflush(progress.terminal);
    progress.lastDrawn = now;
    progress.drawn = true;
}

void EndProgress(CaptureProgress& progress) {
    if (progress.terminal != nullptr && progress.drawn) {
        std::fputs("\r\033[K", progress.terminal);
        std::fflush(progress.terminal);
    }
    progress.drawn = false;
}

double SecondsSinceStart(const CaptureProgress& progress) {
    return std::chrono::duration<double>(CaptureProgress::Clock::now() - progress.started).count();
}

std::string ProgressLine(uint32_t framesDone, uint32_t totalFrames, uint32_t fps, double elapsedSeconds) {
    const double share = totalFrames > 0 ? static_cast<double>(framesDone) / totalFrames : 1.0;
    const std::string left =
        framesDone > 0 ? MinutesAndSeconds(elapsedSeconds * (totalFrames - framesDone) / framesDone) : "?";
    char text[160];
    std::snprintf(text, sizeof text, "%3d%%  %u/%u frames  elapsed %s  left %s  %.1fx real time",
                  static_cast<int>(share * 100.0), framesDone, totalFrames,
                  MinutesAndSeconds(elapsedSeconds).c_str(), left.c_str(),
                  TimesRealTime(framesDone, fps, elapsedSeconds));
    return text;
}

std::string SummaryLine(const std::string& path, uint32_t frames, uint32_t fps, int64_t bytes,
                        double elapsedSeconds) {
    char text[160];
    std::snprintf(text, sizeof text, "%u frames, %.2f s, %s, written in %.1f s, %.2fx real time", frames,
                  static_cast<double>(frames) / fps, ByteSize(bytes).c_str(), elapsedSeconds,
                  TimesRealTime(frames, fps, elapsedSeconds));
    return path + ": " + text;
}
