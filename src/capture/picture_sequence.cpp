extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/pixfmt.h>
}

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "capture/capture_error.h"
#include "capture/encoding.h"
#include "capture/picture_sequence.h"
#include "capture/video_encoder.h"
#include "files/output_file.h"
#include "files/output_files.h"

namespace {

struct PictureSequence : CaptureWriter {
    explicit PictureSequence(const CaptureSettings& captureSettings) : settings(captureSettings) {}
    ~PictureSequence() override { Discard(); }

    void Open();
    void WritePicture(const uint32_t* pixels) override;
    void WriteSoundUntil(uint32_t) override {}
    void Finish() override {}
    void Commit() override;
    void Discard() override;
    int64_t BytesWritten() const override { return bytes; }

    OutputFile& Reserve(uint32_t pass);
    void WritePacket(const OutputFile& file);

    CaptureSettings settings;
    VideoEncoder png;
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
    SetUpPictureCodec(png, "png", AV_PIX_FMT_RGB24, settings.width, settings.height, span.fps);
    Check(avcodec_open2(png.codec, png.codec->codec, nullptr), "cannot open the png encoder");
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
    PreparePicture(png, pixels);
    png.frame->pts = framesWritten;
    Check(avcodec_send_frame(png.codec, png.frame), "cannot encode with png");
    Check(avcodec_receive_packet(png.codec, png.packet), "cannot encode with png");
    WritePacket(file);
    av_packet_unref(png.packet);
    ++framesWritten;
}

void PictureSequence::WritePacket(const OutputFile& file) {
    const int out = OpenReservedFile(file);
    if (out < 0) {
        throw CaptureError(file.target + ": cannot write: " + std::strerror(errno));
    }
    const size_t size = static_cast<size_t>(png.packet->size);
    size_t done = 0;
    while (done < size) {
        const ssize_t wrote = write(out, png.packet->data + done, size - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            const int error = wrote < 0 ? errno : EIO;
            close(out);
            throw CaptureError(file.target + ": cannot write: " + std::strerror(error));
        }
        done += static_cast<size_t>(wrote);
    }
    if (close(out) != 0) {
        throw CaptureError(file.target + ": cannot write: " + std::strerror(errno));
    }
    bytes += static_cast<int64_t>(size);
}

void PictureSequence::Commit() {
    CloseVideoEncoder(png);
    const std::string failure = CommitOutputFiles(files);
    if (!failure.empty()) {
        throw CaptureError(failure);
    }
}

void PictureSequence::Discard() {
    CloseVideoEncoder(png);
    DiscardOutputFiles(files);
}

}  // namespace

std::unique_ptr<CaptureWriter> OpenPictureSequence(const CaptureSettings& settings) {
    auto sequence = std::make_unique<PictureSequence>(settings);
    sequence->Open();
    return sequence;
}
