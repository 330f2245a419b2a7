extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include <vector>

#include "capture/capture_error.h"
#include "capture/encoding.h"
#include "capture/media_file.h"
#include "capture/sound_encoder.h"
#include "capture/video_encoder.h"
#include "files/interruption.h"
#include "files/output_file.h"

namespace {

struct ContainerChoice {
    CaptureFormat format;
    const char* muxer;
    const char* options;  // key=value pairs separated by ':'
};

constexpr ContainerChoice CONTAINERS[] = {
    {CaptureFormat::Mp4, "mp4", "movflags=+faststart"},  // the index first: plays while it downloads
    {CaptureFormat::Mkv, "matroska", ""},
    {CaptureFormat::Webm, "webm", ""},
    {CaptureFormat::Webp, "webp", "loop=0"},  // loops for ever
    {CaptureFormat::Flac, "flac", ""},
};

const ContainerChoice& ChoiceFor(CaptureFormat format) {
    for (const ContainerChoice& choice : CONTAINERS) {
        if (choice.format == format) {
            return choice;
        }
    }
    throw CaptureError("not a media file format");
}

// Runs `step`, naming the file in the error it may throw.
template <typename Step>
void NamingFile(const std::string& path, Step step) {
    try {
        step();
    } catch (const CaptureError& error) {
        throw CaptureError(path + ": " + error.what());
    }
}

struct MediaFile : CaptureWriter {
    MediaFile(const CaptureSettings& captureSettings, MusicSource* captureMusic)
        : settings(captureSettings), music(captureMusic) {}
    ~MediaFile() override { Discard(); }

    void Open();
    void WritePicture(const uint32_t* pixels) override {
        NamingFile(settings.path, [&] { EncodePicture(video, container, pixels); });
    }
    void WriteSoundUntil(uint32_t frames) override {
        NamingFile(settings.path, [&] { EncodeSoundUntil(frames); });
    }
    void Finish() override {
        NamingFile(settings.path, [&] { Complete(); });
    }
    void Commit() override;
    void Discard() override;
    int64_t BytesWritten() const override { return bytes; }

    void OpenContainer();
    void EncodeSoundUntil(uint32_t frames);
    void Complete();
    void Close();

    CaptureSettings settings;
    MusicSource* music;
    OutputFile output;
    AVFormatContext* container = nullptr;
    VideoEncoder video;
    SoundEncoder sound;
    bool hasPicture = false;
    bool hasSound = false;
    std::vector<float> samples;
    int64_t samplesRead = 0;  // music frames read since the first frame's time
    int64_t bytes = 0;
};

void MediaFile::OpenContainer() {
    const std::string reason = ReserveOutputFile(output, settings.path);
    if (!reason.empty()) {
        throw CaptureError(reason);
    }
    output.replace = settings.replace;
    const ContainerChoice& choice = ChoiceFor(settings.format);
    // The libraries take a name as a URL: "pipe:1/x.mp4" would write to standard output and
    // "cut:1/x.mp4" find no protocol. Named through their file protocol, the whole name is the
    // file's path. The MP4 muxer opens the file again by this name to move its index first.
    const std::string url = "file:" + output.temporary;
    Check(avformat_alloc_output_context2(&container, nullptr, choice.muxer, url.c_str()),
          "cannot set up the file");
    container->interrupt_callback = AVIOInterruptCB{IsInterrupted, nullptr};
    Check(avio_open2(&container->pb, url.c_str(), AVIO_FLAG_WRITE, &container->interrupt_callback, nullptr),
          "cannot write");
}

void MediaFile::Open() {
    OpenContainer();
    const CaptureFormatInfo& info = InfoOf(settings.format);
    hasPicture = info.picture;
    hasSound = info.sound && music != nullptr;
    const CaptureSpan& span = settings.span;
    if (hasPicture) {
        OpenVideoEncoder(video, container, settings.format, settings.width, settings.height, span.fps);
    }
    if (hasSound) {
        const int rate = music->rate;
        const int outputRate = SoundRateFor(settings.format, rate);
        OpenSoundEncoder(sound, container, settings.format, rate, MUSIC_CHANNELS,
                         SamplesBeforeFrame(span.frameCount, span.fps, outputRate));
        SkipMusic(*music, SamplesBeforeFrame(span.firstPass, span.fps, rate));
    }
    AVDictionary* options = nullptr;
    Check(av_dict_parse_string(&options, ChoiceFor(settings.format).options, "=", ":", 0),
          "bad file options");
    if (hasSound && settings.format == CaptureFormat::Mp4) {
        // The edit list that cuts the encoder's priming states the track's length in the
        // movie's time units, by default milliseconds: a length between two of them would lose
        // up to one. In units of the sound's samples it is exact.
        av_dict_set_int(&options, "movie_timescale", sound.codec->sample_rate, 0);
    }
    const int written = avformat_write_header(container, &options);
    av_dict_free(&options);
    Check(written, "cannot write the file's header");
}

void MediaFile::EncodeSoundUntil(uint32_t frames) {
    if (!hasSound) {
        return;
    }
    const int64_t wanted = SamplesBeforeFrame(frames, settings.span.fps, music->rate) - samplesRead;
    if (wanted <= 0) {
        return;
    }
    samples.resize(static_cast<size_t>(wanted) * MUSIC_CHANNELS);
    ReadMusic(*music, samples.data(), static_cast<int>(wanted));
    EncodeSound(sound, container, samples.data(), static_cast<int>(wanted));
    samplesRead += wanted;
}

void MediaFile::Complete() {
    if (hasPicture) {
        FinishPicture(video, container);
    }
    if (hasSound) {
        FinishSound(sound, container);
    }
    Check(av_write_trailer(container), "cannot complete the file");
    bytes = avio_size(container->pb);
    Check(avio_closep(&container->pb), "cannot write");
}

void MediaFile::Commit() {
    Close();
    const std::string reason = CommitOutputFile(output);
    if (!reason.empty()) {
        throw CaptureError(settings.path + ": " + reason);
    }
}

void MediaFile::Close() {
    CloseVideoEncoder(video);
    CloseSoundEncoder(sound);
    if (container != nullptr) {
        avio_closep(&container->pb);
        avformat_free_context(container);
        container = nullptr;
    }
}

void MediaFile::Discard() {
    Close();
    DiscardOutputFile(output);
}

}  // namespace

std::unique_ptr<CaptureWriter> OpenMediaFile(const CaptureSettings& settings, MusicSource* music) {
    // The libraries' own messages would come on top of the one line a failure gets.
    av_log_set_level(AV_LOG_QUIET);
    auto file = std::make_unique<MediaFile>(settings, music);
    NamingFile(settings.path, [&] { file->Open(); });
    return file;
}
