extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include "capture/capture_error.h"
#include "capture/encoding.h"
#include "capture/video_encoder.h"

namespace {

struct PictureCodecChoice {
    CaptureFormat format;
    const char* encoder;
    AVPixelFormat pixels;
    const char* options;  // key=value pairs separated by ':'
};

// With x264's "superfast" preset the whole show at 640 x 480 takes about 60 CPU seconds
// (about 85 with "veryfast"), which leaves two cores room to write it in a quarter of its
// running time; CRF 18 keeps the quality high enough to survive a video site's re-encoding.
// VP9 at its real-time deadline and speed 8 on both cores (rows in parallel, two tile
// columns) spends at most a sixth of the CPU time of its "good" deadline at speed 5 for the
// same picture (within 0.2 dB PSNR) and a file a fifth larger. WebP frames are encoded each on
// its own at the fastest method: the animation encoder, which searches each frame for what
// changed (little, in a show where every pixel moves), took over twice the CPU time for a file
// 1.6 times smaller, too slow to keep up with the show.
constexpr PictureCodecChoice PICTURE_CODECS[] = {
    {CaptureFormat::Mp4, "libx264", AV_PIX_FMT_YUV420P, "preset=superfast:crf=18:profile=high"},
    {CaptureFormat::Mkv, "ffv1", AV_PIX_FMT_BGR0, "level=3:slicecrc=1:threads=0"},  // slices: FfvSlicesFor
    {CaptureFormat::Webm, "libvpx-vp9", AV_PIX_FMT_YUV420P,
     "crf=31:b=0:deadline=realtime:cpu-used=8:row-mt=1:tile-columns=1:threads=0"},
    {CaptureFormat::Webp, "libwebp", AV_PIX_FMT_BGRA, "quality=80:lossless=0:compression_level=0"},
};

const PictureCodecChoice& ChoiceFor(CaptureFormat format) {
    for (const PictureCodecChoice& choice : PICTURE_CODECS) {
        if (choice.format == format) {
            return choice;
        }
    }
    throw CaptureError("no picture encoder for this kind of file");
}

// The scaled frame's bytes are blue, green, red, 0xFF: these formats take them as they are.
bool TakesScaledPixels(AVPixelFormat format) {
    return format == AV_PIX_FMT_BGR0 || format == AV_PIX_FMT_BGRA;
}

bool IsYuv(AVPixelFormat format) {
    return format == AV_PIX_FMT_YUV420P;
}

// Video sites and players read untagged video of HD size as BT.709 and smaller as BT.601;
// the file is converted with BT.709 and says so, whatever its size.
void UseBt709(AVCodecContext* codec, SwsContext* converter) {
    codec->colorspace = AVCOL_SPC_BT709;
    codec->color_primaries = AVCOL_PRI_BT709;
    codec->color_trc = AVCOL_TRC_BT709;
    codec->color_range = AVCOL_RANGE_MPEG;
    const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
    constexpr int FULL_RANGE = 1;
    constexpr int LIMITED_RANGE = 0;
    constexpr int UNCHANGED = 0;
    constexpr int UNITY = 1 << 16;
    sws_setColorspaceDetails(converter, bt709, FULL_RANGE, bt709, LIMITED_RANGE, UNCHANGED, UNITY, UNITY);
}

void OpenConverter(VideoEncoder& video) {
    const AVPixelFormat format = video.codec->pix_fmt;
    if (TakesScaledPixels(format)) {
        return;
    }
    const int width = video.codec->width;
    const int height = video.codec->height;
    video.converter =
        sws_getContext(width, height, AV_PIX_FMT_BGR0, width, height, format,
                       SWS_BILINEAR | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INP, nullptr, nullptr, nullptr);
    if (video.converter == nullptr) {
        throw CaptureError("cannot set up the picture converter");
    }
    if (IsYuv(format)) {
        UseBt709(video.codec, video.converter);
    }
}

AVDictionary* OptionsFrom(const char* text) {
    AVDictionary* options = nullptr;
    Check(av_dict_parse_string(&options, text, "=", ":", 0), "bad encoder options");
    return options;
}

}  // namespace

int FfvSlicesFor(int width, int height) {
    // The encoder bounds a slice's samples: 3 planes of 9 bits (its colour transform adds one to
    // the 8) over the slice's pixels may not pass 2^27. It takes slice grids of `rows` rows of
    // `rows` to 2 * rows - 1 columns, at least 2 rows at these sizes, and no more columns than
    // pixels across (nor rows than down).
    constexpr int64_t MAX_SLICE_PIXELS = (int64_t{8} << 24) / 27;
    for (int rows = 2; rows < 32; ++rows) {
        for (int columns = rows; columns < 2 * rows; ++columns) {
            const int64_t sliceWidth = (width + columns - 1) / columns;
            const int64_t sliceHeight = (height + rows - 1) / rows;
            if (columns <= width && rows <= height && sliceWidth * sliceHeight <= MAX_SLICE_PIXELS) {
                return columns * rows;
            }
        }
    }
    return 0;  // none fits: the encoder's own choice
}

void SetUpPictureCodec(VideoEncoder& video, const char* name, int pixelFormat, int width, int height,
                       uint32_t fps) {
    const AVCodec* encoder = avcodec_find_encoder_by_name(name);
    if (encoder == nullptr) {
        throw CaptureError(std::string("the FFmpeg libraries have no ") + name + " encoder");
    }
    video.codec = avcodec_alloc_context3(encoder);
    video.frame = av_frame_alloc();
    video.packet = av_packet_alloc();
    if (video.codec == nullptr || video.frame == nullptr || video.packet == nullptr) {
        throw CaptureError("out of memory");
    }
    AVCodecContext* codec = video.codec;
    codec->width = width;
    codec->height = height;
    codec->pix_fmt = static_cast<AVPixelFormat>(pixelFormat);
    codec->time_base = AVRational{1, static_cast<int>(fps)};
    codec->framerate = AVRational{static_cast<int>(fps), 1};
    codec->sample_aspect_ratio = AVRational{1, 1};
    OpenConverter(video);
    video.frame->format = pixelFormat;
    video.frame->width = width;
    video.frame->height = height;
    Check(av_frame_get_buffer(video.frame, 0), "out of memory");
    video.scaler = MakeFrameScaler(width, height);
    video.scaled.resize(static_cast<size_t>(width) * height);
}

void OpenVideoEncoder(VideoEncoder& video, AVFormatContext* container, CaptureFormat format, int width,
                      int height, uint32_t fps) {
    const PictureCodecChoice& choice = ChoiceFor(format);
    SetUpPictureCodec(video, choice.encoder, choice.pixels, width, height, fps);
    video.stream = avformat_new_stream(container, nullptr);
    if (video.stream == nullptr) {
        throw CaptureError("out of memory");
    }
    if (container->oformat->flags & AVFMT_GLOBALHEADER) {
        video.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    AVDictionary* options = OptionsFrom(choice.options);
    if (format == CaptureFormat::Mkv) {
        av_dict_set_int(&options, "slices", FfvSlicesFor(width, height), 0);
    }
    const int opened = avcodec_open2(video.codec, video.codec->codec, &options);
    av_dict_free(&options);
    Check(opened, std::string("cannot open the ") + choice.encoder + " encoder");
    Check(avcodec_parameters_from_context(video.stream->codecpar, video.codec),
          "cannot set up the picture track");
    video.stream->time_base = video.codec->time_base;
    video.stream->avg_frame_rate = video.codec->framerate;
}

void PreparePicture(VideoEncoder& video, const uint32_t* pixels) {
    ScaleFrame(video.scaler, pixels, video.scaled.data());
    Check(av_frame_make_writable(video.frame), "out of memory");
    const auto* scaled = reinterpret_cast<const uint8_t*>(video.scaled.data());
    const int stride = video.codec->width * 4;
    if (video.converter == nullptr) {
        av_image_copy_plane(video.frame->data[0], video.frame->linesize[0], scaled, stride, stride,
                            video.codec->height);
        return;
    }
    sws_scale(video.converter, &scaled, &stride, 0, video.codec->height, video.frame->data,
              video.frame->linesize);
}

void EncodePicture(VideoEncoder& video, AVFormatContext* container, const uint32_t* pixels) {
    PreparePicture(video, pixels);
    video.frame->pts = video.nextFrame++;
    EncodeToStream(video.codec, video.frame, video.packet, video.stream, container);
}

void FinishPicture(VideoEncoder& video, AVFormatContext* container) {
    EncodeToStream(video.codec, nullptr, video.packet, video.stream, container);
}

void CloseVideoEncoder(VideoEncoder& video) {
    avcodec_free_context(&video.codec);
    sws_freeContext(video.converter);
    video.converter = nullptr;
    av_frame_free(&video.frame);
    av_packet_free(&video.packet);
}
