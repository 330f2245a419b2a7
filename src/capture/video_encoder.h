#pragma once
#include <cstdint>
#include <vector>

#include "capture/capture_format.h"
#include "capture/frame_scaler.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct SwsContext;

// The picture track of a file: the show's frames scaled to the file's size, converted to
// the encoder's pixel format and written to the container at a constant frame rate.
struct VideoEncoder {
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    SwsContext* converter = nullptr;  // none when the encoder takes the scaled pixels as they are
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    FrameScaler scaler;
    std::vector<uint32_t> scaled;
    int64_t nextFrame = 0;
};

// Adds the picture stream to `container` and opens its encoder. Throws CaptureError.
void OpenVideoEncoder(VideoEncoder& video, AVFormatContext* container, CaptureFormat format, int width,
                      int height, uint32_t fps);
// Encodes the next frame from the show's 640 x 480 pixels.
void EncodePicture(VideoEncoder& video, AVFormatContext* container, const uint32_t* pixels);
// Flushes the encoder.
void FinishPicture(VideoEncoder& video, AVFormatContext* container);
void CloseVideoEncoder(VideoEncoder& video);

// The number of slices the lossless encoder cuts a width x height frame into: the fewest, from
// 4 up, whose slices it takes at that size (2 x 2 up to about 20 million pixels, 3 x 2 at
// 5000 x 4000, 3 x 3 at 7680 x 4320). Its threads, one a core, encode the slices side by side.
int FfvSlicesFor(int width, int height);

// Shared with the picture sequence: sets up the encoder `name` for `pixelFormat` (an
// AVPixelFormat), with its converter and frame, ready to be opened; no stream.
void SetUpPictureCodec(VideoEncoder& video, const char* name, int pixelFormat, int width, int height,
                       uint32_t fps);
// Scales `pixels` and converts them into `video.frame`.
void PreparePicture(VideoEncoder& video, const uint32_t* pixels);
