#include "capture/media_decode.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>

namespace {

struct Track {
    int index = -1;
    AVCodecContext* codec = nullptr;
};

void OpenTrack(AVFormatContext* container, AVMediaType type, Track& track) {
    track.index = av_find_best_stream(container, type, -1, -1, nullptr, 0);
    if (track.index < 0) {
        return;
    }
    const AVCodecParameters* parameters = container->streams[track.index]->codecpar;
    const AVCodec* decoder = avcodec_find_decoder(parameters->codec_id);
    track.codec = avcodec_alloc_context3(decoder);
    avcodec_parameters_to_context(track.codec, parameters);
    if (avcodec_open2(track.codec, decoder, nullptr) < 0) {
        throw std::runtime_error("cannot open the decoder");
    }
}

void KeepPicture(const AVFrame* frame, DecodedMedia& media) {
    SwsContext* converter =
        sws_getContext(frame->width, frame->height, static_cast<AVPixelFormat>(frame->format), frame->width,
                       frame->height, AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr);
    std::vector<uint8_t> rgb(static_cast<size_t>(frame->width) * frame->height * 3);
    uint8_t* planes[1] = {rgb.data()};
    const int strides[1] = {frame->width * 3};
    sws_scale(converter, frame->data, frame->linesize, 0, frame->height, planes, strides);
    sws_freeContext(converter);
    media.rgbFrames.push_back(std::move(rgb));
}

struct SoundOut {
    SwrContext* converter = nullptr;
    int rate = 0;
};

// Converts a decoded frame (nullptr: what the converter still holds) to stereo float.
void KeepSound(AVFrame* frame, SoundOut& out, DecodedMedia& media) {
    if (out.converter == nullptr) {
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        out.rate = out.rate == 0 ? frame->sample_rate : out.rate;
        swr_alloc_set_opts2(&out.converter, &stereo, AV_SAMPLE_FMT_FLT, out.rate, &frame->ch_layout,
                            static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr);
        swr_init(out.converter);
    }
    const int room = swr_get_out_samples(out.converter, frame ? frame->nb_samples : 0);
    const size_t start = media.samples.size();
    media.samples.resize(start + static_cast<size_t>(room) * 2);
    uint8_t* planes[1] = {reinterpret_cast<uint8_t*>(media.samples.data() + start)};
    const int got = frame ? swr_convert(out.converter, planes, room,
                                        const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples)
                          : swr_convert(out.converter, planes, room, nullptr, 0);
    media.samples.resize(start + static_cast<size_t>(std::max(got, 0)) * 2);
}

// Sends one packet (nullptr: the end) and takes every frame the decoder gives.
template <typename Take>
void Decode(AVCodecContext* codec, const AVPacket* packet, AVFrame* frame, Take take) {
    if (avcodec_send_packet(codec, packet) < 0) {
        throw std::runtime_error("cannot decode");
    }
    while (avcodec_receive_frame(codec, frame) == 0) {
        take(frame);
        av_frame_unref(frame);
    }
}

void DescribeTracks(AVFormatContext* container, const Track& video, const Track& audio, DecodedMedia& media) {
    if (video.codec != nullptr) {
        const AVStream* stream = container->streams[video.index];
        media.videoCodec = video.codec->codec->name;
        media.pixelFormat = av_get_pix_fmt_name(video.codec->pix_fmt);
        media.width = video.codec->width;
        media.height = video.codec->height;
        media.frameRateNum = stream->avg_frame_rate.num;
        media.frameRateDen = stream->avg_frame_rate.den;
    }
    if (audio.codec != nullptr) {
        const AVStream* stream = container->streams[audio.index];
        media.audioCodec = audio.codec->codec->name;
        media.sampleRate = audio.codec->sample_rate;
        media.channels = audio.codec->ch_layout.nb_channels;
        media.audioSeconds = stream->duration * av_q2d(stream->time_base);
    }
}

}  // namespace

DecodedMedia DecodeMedia(const std::string& path, bool keepFrames, int sampleRate) {
    av_log_set_level(AV_LOG_ERROR);
    AVFormatContext* container = nullptr;
    if (avformat_open_input(&container, path.c_str(), nullptr, nullptr) < 0 ||
        avformat_find_stream_info(container, nullptr) < 0) {
        throw std::runtime_error("cannot read " + path);
    }
    Track video;
    Track audio;
    OpenTrack(container, AVMEDIA_TYPE_VIDEO, video);
    OpenTrack(container, AVMEDIA_TYPE_AUDIO, audio);
    DecodedMedia media;
    DescribeTracks(container, video, audio, media);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    SoundOut sound;
    sound.rate = sampleRate;
    auto takePicture = [&](const AVFrame* picture) {
        ++media.frames;
        if (keepFrames) {
            KeepPicture(picture, media);
        }
    };
    auto takeSound = [&](AVFrame* decoded) { KeepSound(decoded, sound, media); };
    while (av_read_frame(container, packet) >= 0) {
        if (packet->stream_index == video.index) {
            Decode(video.codec, packet, frame, takePicture);
        } else if (packet->stream_index == audio.index) {
            Decode(audio.codec, packet, frame, takeSound);
        }
        av_packet_unref(packet);
    }
    if (video.codec != nullptr) {
        Decode(video.codec, nullptr, frame, takePicture);
    }
    if (audio.codec != nullptr) {
        Decode(audio.codec, nullptr, frame, takeSound);
        if (sound.converter != nullptr) {
            KeepSound(nullptr, sound, media);
        }
    }
    swr_free(&sound.converter);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&video.codec);
    avcodec_free_context(&audio.codec);
    avformat_close_input(&container);
    return media;
}

std::vector<std::string> Mp4TopLevelBoxes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<std::string> names;
    uint8_t header[8];
    std::streamoff offset = 0;
    while (file.seekg(offset) && file.read(reinterpret_cast<char*>(header), sizeof header)) {
        const uint32_t size =
            uint32_t{header[0]} << 24 | uint32_t{header[1]} << 16 | uint32_t{header[2]} << 8 | header[3];
        names.emplace_back(reinterpret_cast<const char*>(header + 4), 4);
        if (size < 8) {
            break;  // 64-bit sizes and "to the end" do not occur in the files under test
        }
        offset += size;
    }
    return names;
}

double ToneShare(const std::vector<float>& samples, int rate, double fromSeconds, double frequency) {
    const size_t start = static_cast<size_t>(fromSeconds * rate);
    const size_t length = static_cast<size_t>(rate) / 10;
    if ((start + length) * 2 > samples.size()) {
        return 0.0;
    }
    const double coefficient = 2.0 * std::cos(2.0 * M_PI * frequency / rate);
    double previous = 0.0;
    double earlier = 0.0;
    double power = 0.0;
    for (size_t i = start; i < start + length; ++i) {
        const double sample = samples[2 * i];
        const double current = sample + coefficient * previous - earlier;
        earlier = previous;
        previous = current;
        power += sample * sample;
    }
    const double atFrequency = previous * previous + earlier * earlier - coefficient * previous * earlier;
    return power > 0.0 ? 2.0 * atFrequency / (static_cast<double>(length) * power) : 0.0;
}
