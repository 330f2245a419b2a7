extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "capture/capture_error.h"
#include "capture/encoding.h"

std::string AvErrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

int Check(int code, const std::string& what) {
    if (code < 0) {
        throw CaptureError(what + ": " + AvErrorText(code));
    }
    return code;
}

void EncodeToStream(AVCodecContext* codec, const AVFrame* frame, AVPacket* packet, AVStream* stream,
                    AVFormatContext* container) {
    Check(avcodec_send_frame(codec, frame), std::string("cannot encode with ") + codec->codec->name);
    while (true) {
        const int received = avcodec_receive_packet(codec, packet);
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
            return;
        }
        Check(received, std::string("cannot encode with ") + codec->codec->name);
        av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        Check(av_interleaved_write_frame(container, packet), "cannot write");
    }
}
