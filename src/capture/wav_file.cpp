#include "capture/wav_file.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "capture/capture_error.h"
#include "files/output_file.h"

namespace {

constexpr int BYTES_PER_SAMPLE = 2;
constexpr int HEADER_BYTES = 44;
// The rate of the silent track a capture without music writes.
constexpr int SILENT_RATE = 44100;

int16_t ToSample(float sample) {
    return static_cast<int16_t>(std::clamp<long>(std::lrint(sample * 32768.0f), -32768, 32767));
}

void PutLittleEndian(std::vector<uint8_t>& bytes, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

void PutTag(std::vector<uint8_t>& bytes, const char* tag) {
    bytes.insert(bytes.end(), tag, tag + 4);
}

// The RIFF header of a PCM file whose data is `dataBytes` long.
std::vector<uint8_t> WavHeader(int rate, uint32_t dataBytes) {
    std::vector<uint8_t> header;
    const uint32_t frameBytes = MUSIC_CHANNELS * BYTES_PER_SAMPLE;
    PutTag(header, "RIFF");
    PutLittleEndian(header, HEADER_BYTES - 8 + dataBytes, 4);
    PutTag(header, "WAVE");
    PutTag(header, "fmt ");
    PutLittleEndian(header, 16, 4);  // the format chunk's size
    PutLittleEndian(header, 1, 2);   // PCM
    PutLittleEndian(header, MUSIC_CHANNELS, 2);
    PutLittleEndian(header, static_cast<uint32_t>(rate), 4);
    PutLittleEndian(header, static_cast<uint32_t>(rate) * frameBytes, 4);  // bytes a second
    PutLittleEndian(header, frameBytes, 2);
    PutLittleEndian(header, BYTES_PER_SAMPLE * 8, 2);
    PutTag(header, "data");
    PutLittleEndian(header, dataBytes, 4);
    return header;
}

struct WavFile : CaptureWriter {
    WavFile(const CaptureSettings& captureSettings, MusicSource* captureMusic)
        : settings(captureSettings),
          music(captureMusic),
          rate(music != nullptr ? music->rate : SILENT_RATE) {}
    ~WavFile() override { Discard(); }

    void Open();
    void WritePicture(const uint32_t*) override {}
    void WriteSoundUntil(uint32_t frames) override;
    void Finish() override;
    void Commit() override;
    void Discard() override;
    int64_t BytesWritten() const override { return bytes; }

    void Write(const uint8_t* data, size_t size);
    [[noreturn]] void FailWrite(int error);

    CaptureSettings settings;
    MusicSource* music;
    int rate;
    OutputFile output;
    int descriptor = -1;
    std::vector<float> samples;
    std::vector<uint8_t> encoded;
    int64_t samplesWritten = 0;  // stereo frames written since the first frame's time
    int64_t bytes = 0;
};

void WavFile::Open() {
    const std::string reason = ReserveOutputFile(output, settings.path);
    if (!reason.empty()) {
        throw CaptureError(settings.path + ": " + reason);
    }
    output.replace = settings.replace;
    descriptor = OpenReservedFile(output);
    if (descriptor < 0) {
        FailWrite(errno);
    }
    const CaptureSpan& span = settings.span;
    const int64_t total = SamplesBeforeFrame(span.frameCount, span.fps, rate);
    const int64_t dataBytes = total * MUSIC_CHANNELS * BYTES_PER_SAMPLE;
    if (dataBytes > UINT32_MAX - HEADER_BYTES) {
        throw CaptureError(settings.path + ": longer than a WAV file can hold");
    }
    const std::vector<uint8_t> header = WavHeader(rate, static_cast<uint32_t>(dataBytes));
    Write(header.data(), header.size());
    if (music != nullptr) {
        SkipMusic(*music, SamplesBeforeFrame(span.firstPass, span.fps, rate));
    }
}

void WavFile::WriteSoundUntil(uint32_t frames) {
    const int64_t wanted = SamplesBeforeFrame(frames, settings.span.fps, rate) - samplesWritten;
    if (wanted <= 0) {
        return;
    }
    const size_t count = static_cast<size_t>(wanted) * MUSIC_CHANNELS;
    samples.assign(count, 0.0f);
    if (music != nullptr) {
        ReadMusic(*music, samples.data(), static_cast<int>(wanted));
    }
    encoded.resize(count * BYTES_PER_SAMPLE);
    for (size_t i = 0; i < count; ++i) {
        const auto sample = static_cast<uint16_t>(ToSample(samples[i]));
        encoded[i * 2] = static_cast<uint8_t>(sample);
        encoded[i * 2 + 1] = static_cast<uint8_t>(sample >> 8);
    }
    Write(encoded.data(), encoded.size());
    samplesWritten += wanted;
}

void WavFile::Write(const uint8_t* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        const auto wrote = write(descriptor, data + done, static_cast<unsigned>(size - done));
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            FailWrite(wrote < 0 ? errno : EIO);
        }
        done += static_cast<size_t>(wrote);
    }
    bytes += static_cast<int64_t>(size);
}

void WavFile::FailWrite(int error) {
    throw CaptureError(settings.path + ": cannot write: " + std::strerror(error));
}

void WavFile::Finish() {
    const int closing = descriptor;
    descriptor = -1;
    if (close(closing) != 0) {
        FailWrite(errno);
    }
}

void WavFile::Commit() {
    const std::string reason = CommitOutputFile(output);
    if (!reason.empty()) {
        throw CaptureError(settings.path + ": " + reason);
    }
}

void WavFile::Discard() {
    if (descriptor >= 0) {
        close(descriptor);
        descriptor = -1;
    }
    DiscardOutputFile(output);
}

}  // namespace

std::unique_ptr<CaptureWriter> OpenWavFile(const CaptureSettings& settings, MusicSource* music) {
    auto file = std::make_unique<WavFile>(settings, music);
    file->Open();
    return file;
}
