#include "capture/picture_sequence.h"

#include <vector>

#include "capture/capture_error.h"
#include "capture/frame_scaler.h"
#include "files/output_file.h"
#include "files/output_files.h"
#include "files/picture_file.h"

namespace {

struct PictureSequence : CaptureWriter {
    explicit PictureSequence(const CaptureSettings& captureSettings)
        : settings(captureSettings),
          scaler(MakeFrameScaler(settings.width, settings.height)),
          scaled(static_cast<size_t>(settings.width) * static_cast<size_t>(settings.height)) {}
    ~PictureSequence() override { Discard(); }

    void Open();
    void WritePicture(const uint32_t* pixels) override;
    void WriteSoundUntil(uint32_t) override {}
    void Finish() override {}
    void Commit() override;
    void Discard() override { DiscardOutputFiles(files); }
    int64_t BytesWritten() const override { return bytes; }

    OutputFile& Reserve(uint32_t pass);

    CaptureSettings settings;
    FrameScaler scaler;
    std::vector<uint32_t> scaled;
    std::vector<OutputFile> files;  // one per frame written (or reserved)
    uint32_t framesWritten = 0;
    int64_t bytes = 0;
};

void PictureSequence::Open() {
    const CaptureSpan& span = settings.span;
    // Every name is checked before the first frame is drawn; the first temporary proves the
    // folder takes files.
    for (uint32_t frame = 0; frame < span.frameCount; ++frame) {
        const std::string name = settings.frameName(span.firstPass + frame);
        if (IsDirectory(name)) {
            throw CaptureError(name + ": is a directory");
        }
    }
    Reserve(span.firstPass);
}

OutputFile& PictureSequence::Reserve(uint32_t pass) {
    OutputFile file;
    const std::string name = settings.frameName(pass);
    // The frames share their folder, held open once.
    const std::string reason = ReserveOutputFile(file, name, files.empty() ? nullptr : &files.back());
    if (!reason.empty()) {
        throw CaptureError(name + ": " + reason);
    }
    file.replace = settings.replace;
    files.push_back(file);
    return files.back();
}

void PictureSequence::WritePicture(const uint32_t* pixels) {
    const uint32_t pass = settings.span.firstPass + framesWritten;
    const OutputFile& file = framesWritten < files.size() ? files[framesWritten] : Reserve(pass);
    ScaleFrame(scaler, pixels, scaled.data());
    int64_t size = 0;
    // Unfiltered rows: a capture writes thousands of frames, and adaptive filtering would make
    // the encoder, not the drawing, set its pace.
    const std::string reason =
        WritePictureFile(file, {scaled.data(), settings.width, settings.height}, PngFilters::None, &size);
    if (!reason.empty()) {
        throw CaptureError(file.target + ": " + reason);
    }
    bytes += size;
    ++framesWritten;
}

void PictureSequence::Commit() {
    const std::string failure = CommitOutputFiles(files);
    if (!failure.empty()) {
        throw CaptureError(failure);
    }
}

}  // namespace

std::unique_ptr<CaptureWriter> OpenPictureSequence(const CaptureSettings& settings) {
    auto sequence = std::make_unique<PictureSequence>(settings);
    sequence->Open();
    return sequence;
}
