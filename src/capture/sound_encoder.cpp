extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
}

#include <algorithm>

#include "capture/capture_error.h"
#include "capture/encoding.h"
#include "capture/sound_encoder.h"

namespace {

constexpr int INPUT_CHUNK = 4096;        // input frames converted at a time
constexpr int CONVERT_CAPACITY = 16384;  // room for a chunk's output at any rate the encoders take
constexpr int VARIABLE_FRAME_SIZE = 4096;

struct SoundCodecChoice {
    CaptureFormat format;
    const char* encoder;
    int64_t bitRate;  // 0: the encoder's own (lossless)
};

constexpr SoundCodecChoice SOUND_CODECS[] = {
    {CaptureFormat::Mp4, "aac", 192000},
    {CaptureFormat::Mkv, "flac", 0},
    {CaptureFormat::Webm, "libopus", 160000},
    {CaptureFormat::Flac, "flac", 0},
};

const SoundCodecChoice& ChoiceFor(CaptureFormat format) {
    for (const SoundCodecChoice& choice : SOUND_CODECS) {
        if (choice.format == format) {
            return choice;
        }
    }
    throw CaptureError("no sound encoder for this kind of file");
}

const AVCodec* FindEncoder(CaptureFormat format) {
    const char* name = ChoiceFor(format).encoder;
    const AVCodec* encoder = avcodec_find_encoder_by_name(name);
    if (encoder == nullptr) {
        throw CaptureError(std::string("the FFmpeg libraries have no ") + name + " encoder");
    }
    return encoder;
}

// Floating-point samples where the encoder takes them (nothing lost), else its first format.
AVSampleFormat SampleFormatFor(const AVCodec* encoder) {
    const AVSampleFormat* formats = encoder->sample_fmts;
    if (formats == nullptr) {
        return AV_SAMPLE_FMT_FLT;
    }
    for (const AVSampleFormat* format = formats; *format != AV_SAMPLE_FMT_NONE; ++format) {
        if (*format == AV_SAMPLE_FMT_FLT || *format == AV_SAMPLE_FMT_FLTP) {
            return *format;
        }
    }
    return formats[0];
}

int RateFor(const AVCodec* encoder, int inputRate) {
    const int* rates = encoder->supported_samplerates;
    if (rates == nullptr) {
        return inputRate;
    }
    int best = rates[0];
    for (const int* rate = rates; *rate != 0; ++rate) {
        if (*rate == inputRate) {
            return inputRate;
        }
        // The lowest rate at or above the input's keeps every frequency the music has.
        if (*rate >= inputRate && (best < inputRate || *rate < best)) {
            best = *rate;
        }
    }
    return best;
}

void OpenEncoder(SoundEncoder& sound, AVFormatContext* container, CaptureFormat format, int inputRate) {
    const AVCodec* encoder = FindEncoder(format);
    sound.codec = avcodec_alloc_context3(encoder);
    sound.stream = avformat_new_stream(container, nullptr);
    if (sound.codec == nullptr || sound.stream == nullptr) {
        throw CaptureError("out of memory");
    }
    AVCodecContext* codec = sound.codec;
    codec->sample_fmt = SampleFormatFor(encoder);
    codec->sample_rate = RateFor(encoder, inputRate);
    codec->bit_rate = ChoiceFor(format).bitRate;
    codec->time_base = AVRational{1, codec->sample_rate};
    av_channel_layout_default(&codec->ch_layout, 2);
    if (container->oformat->flags & AVFMT_GLOBALHEADER) {
        codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    Check(avcodec_open2(codec, encoder, nullptr),
          std::string("cannot open the ") + encoder->name + " encoder");
    Check(avcodec_parameters_from_context(sound.stream->codecpar, codec), "cannot set up the sound track");
    sound.stream->time_base = codec->time_base;
    const bool variable =
        (encoder->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) || codec->frame_size == 0;
    sound.frameSize = variable ? VARIABLE_FRAME_SIZE : codec->frame_size;
}

// The show plays every music file in stereo: a mono file on both sides.
void OpenConverter(SoundEncoder& sound, int inputRate, int inputChannels) {
    AVChannelLayout inputLayout{};
    av_channel_layout_default(&inputLayout, inputChannels);
    AVCodecContext* codec = sound.codec;
    Check(swr_alloc_set_opts2(&sound.converter, &codec->ch_layout, codec->sample_fmt, codec->sample_rate,
                              &inputLayout, AV_SAMPLE_FMT_FLT, inputRate, 0, nullptr),
          "cannot set up the sound converter");
    av_channel_layout_uninit(&inputLayout);
    Check(swr_init(sound.converter), "cannot set up the sound converter");
    sound.pending = av_audio_fifo_alloc(codec->sample_fmt, codec->ch_layout.nb_channels, sound.frameSize);
    Check(av_samples_alloc_array_and_samples(&sound.converted, nullptr, codec->ch_layout.nb_channels,
                                             CONVERT_CAPACITY, codec->sample_fmt, 0),
          "out of memory");
    sound.frame = av_frame_alloc();
    sound.packet = av_packet_alloc();
    if (sound.pending == nullptr || sound.frame == nullptr || sound.packet == nullptr) {
        throw CaptureError("out of memory");
    }
}

// Queues converted samples, dropping what lies past the track's end.
void Queue(SoundEncoder& sound, int count) {
    const int kept = static_cast<int>(std::min<int64_t>(count, sound.targetSamples - sound.queuedSamples));
    if (kept > 0) {
        Check(av_audio_fifo_write(sound.pending, reinterpret_cast<void**>(sound.converted), kept),
              "out of memory");
        sound.queuedSamples += kept;
    }
}

// Sends one frame of `count` queued samples to the encoder.
void SendFrame(SoundEncoder& sound, AVFormatContext* container, int count) {
    AVFrame* frame = sound.frame;
    av_frame_unref(frame);
    frame->nb_samples = count;
    frame->format = sound.codec->sample_fmt;
    frame->sample_rate = sound.codec->sample_rate;
    Check(av_channel_layout_copy(&frame->ch_layout, &sound.codec->ch_layout), "out of memory");
    Check(av_frame_get_buffer(frame, 0), "out of memory");
    av_audio_fifo_read(sound.pending, reinterpret_cast<void**>(frame->data), count);
    frame->pts = sound.sentSamples;
    sound.sentSamples += count;
    EncodeToStream(sound.codec, frame, sound.packet, sound.stream, container);
}

void SendWholeFrames(SoundEncoder& sound, AVFormatContext* container) {
    while (av_audio_fifo_size(sound.pending) >= sound.frameSize) {
        SendFrame(sound, container, sound.frameSize);
    }
}

}  // namespace

int SoundRateFor(CaptureFormat format, int inputRate) {
    return RateFor(FindEncoder(format), inputRate);
}

void OpenSoundEncoder(SoundEncoder& sound, AVFormatContext* container, CaptureFormat format, int inputRate,
                      int inputChannels, int64_t targetSamples) {
    OpenEncoder(sound, container, format, inputRate);
    OpenConverter(sound, inputRate, inputChannels);
    sound.targetSamples = targetSamples;
    sound.inputChannels = inputChannels;
}

void EncodeSound(SoundEncoder& sound, AVFormatContext* container, const float* frames, int count) {
    for (int done = 0; done < count; done += INPUT_CHUNK) {
        const int chunk = std::min(INPUT_CHUNK, count - done);
        const auto* input =
            reinterpret_cast<const uint8_t*>(frames + static_cast<size_t>(done) * sound.inputChannels);
        Queue(sound, Check(swr_convert(sound.converter, sound.converted, CONVERT_CAPACITY, &input, chunk),
                           "cannot convert the sound"));
        SendWholeFrames(sound, container);
    }
}

void FinishSound(SoundEncoder& sound, AVFormatContext* container) {
    while (true) {
        const int drained = Check(swr_convert(sound.converter, sound.converted, CONVERT_CAPACITY, nullptr, 0),
                                  "cannot convert the sound");
        if (drained == 0) {
            break;
        }
        Queue(sound, drained);
    }
    while (sound.queuedSamples < sound.targetSamples) {
        const int silence =
            static_cast<int>(std::min<int64_t>(CONVERT_CAPACITY, sound.targetSamples - sound.queuedSamples));
        av_samples_set_silence(sound.converted, 0, silence, sound.codec->ch_layout.nb_channels,
                               sound.codec->sample_fmt);
        Queue(sound, silence);
    }
    SendWholeFrames(sound, container);
    if (av_audio_fifo_size(sound.pending) > 0) {
        SendFrame(sound, container, av_audio_fifo_size(sound.pending));
    }
    EncodeToStream(sound.codec, nullptr, sound.packet, sound.stream, container);
}

void CloseSoundEncoder(SoundEncoder& sound) {
    avcodec_free_context(&sound.codec);
    swr_free(&sound.converter);
    if (sound.pending != nullptr) {
        av_audio_fifo_free(sound.pending);
        sound.pending = nullptr;
    }
    if (sound.converted != nullptr) {
        av_freep(&sound.converted[0]);
        av_freep(&sound.converted);
    }
    av_frame_free(&sound.frame);
    av_packet_free(&sound.packet);
}
