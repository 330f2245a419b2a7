#include "disk_capture.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

namespace {

constexpr double RATE = 44100.0;
constexpr int CHANNELS = 2;
constexpr std::uintmax_t FRAME_BYTES = CHANNELS * sizeof(float);

// The byte offset of the capture's first frame that is not all zeros, looked for from
// `searched` on, which moves past the silent frames read; nothing while all of it is silent.
std::optional<std::uintmax_t> FindMusicStart(const std::string& path, std::uintmax_t& searched) {
    std::ifstream file(path, std::ios::binary);
    file.seekg(static_cast<std::streamoff>(searched));
    float frame[CHANNELS];
    while (file.read(reinterpret_cast<char*>(frame), sizeof frame)) {
        if (std::any_of(frame, frame + CHANNELS, [](float sample) { return sample != 0.0f; })) {
            return searched;
        }
        searched += FRAME_BYTES;
    }
    return std::nullopt;
}

}  // namespace

DiskCapture StartDiskCapture(const std::string& name) {
    DiskCapture capture{TempPath(name)};
    std::filesystem::remove(capture.path);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", capture.path.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);  // 1 ms per 1024 frames
    return capture;
}

bool WaitForCapturedMusic(const DiskCapture& capture, double seconds) {
    const auto wanted = static_cast<std::uintmax_t>(seconds * RATE) * FRAME_BYTES;
    std::uintmax_t searched = 0;
    std::optional<std::uintmax_t> musicStart;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        if (!musicStart) {
            musicStart = FindMusicStart(capture.path, searched);
        }
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(capture.path, error);
        if (musicStart && !error && size >= *musicStart + wanted) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::vector<float> ReadCapturedMusic(const DiskCapture& capture) {
    std::ifstream file(capture.path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    return DropLeadingSilence(std::move(samples));
}

std::vector<float> DropLeadingSilence(std::vector<float> samples) {
    const auto first = std::find_if(samples.begin(), samples.end(), [](float s) { return s != 0.0f; });
    const auto frameStart = (first - samples.begin()) / CHANNELS * CHANNELS;
    samples.erase(samples.begin(), samples.begin() + frameStart);
    return samples;
}

double RootMeanSquare(const std::vector<float>& samples, double from, double to) {
    const auto first = static_cast<size_t>(from * RATE) * CHANNELS;
    const auto last = std::min(samples.size(), static_cast<size_t>(to * RATE) * CHANNELS);
    if (last <= first) {
        return 0.0;
    }
    double sum = 0.0;
    for (size_t i = first; i < last; ++i) {
        sum += static_cast<double>(samples[i]) * samples[i];
    }
    return std::sqrt(sum / static_cast<double>(last - first));
}

int UpwardCrossings(const std::vector<float>& samples, int channel, double from, double to) {
    const auto last = std::min(samples.size() / CHANNELS, static_cast<size_t>(to * RATE));
    int crossings = 0;
    for (auto frame = static_cast<size_t>(from * RATE); frame + 1 < last; ++frame) {
        const float now = samples[frame * CHANNELS + channel];
        const float next = samples[(frame + 1) * CHANNELS + channel];
        crossings += now < 0.0f && next >= 0.0f ? 1 : 0;
    }
    return crossings;
}
