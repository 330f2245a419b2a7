#pragma once
#include <string>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;

// The FFmpeg libraries' text for an error code.
std::string AvErrorText(int code);

// Throws CaptureError "<what>: <the library's text>" when `code` is negative; returns it otherwise.
int Check(int code, const std::string& what);

// Sends `frame` (nullptr: the end) to the encoder and writes every packet it gives to the
// stream of `container`, in the stream's time base.
void EncodeToStream(AVCodecContext* codec, const AVFrame* frame, AVPacket* packet, AVStream* stream,
                    AVFormatContext* container);
