extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
}

#include "capture/link_converter.h"

#include "capture/encoding.h"
#include "capture/music_source.h"

struct LinkConverter {
    SwrContext* context = nullptr;
};

LinkConverter* OpenLinkConverter(int rate, int channels, int trackRate) {
    // The library's own messages would come on top of the one line a failure gets.
    av_log_set_level(AV_LOG_QUIET);
    auto* converter = new LinkConverter;
    AVChannelLayout inputLayout{};
    AVChannelLayout outputLayout{};
    av_channel_layout_default(&inputLayout, channels);
    av_channel_layout_default(&outputLayout, MUSIC_CHANNELS);
    const int made = swr_alloc_set_opts2(&converter->context, &outputLayout, AV_SAMPLE_FMT_FLT, trackRate,
                                         &inputLayout, AV_SAMPLE_FMT_FLT, rate, 0, nullptr);
    av_channel_layout_uninit(&inputLayout);
    av_channel_layout_uninit(&outputLayout);
    try {
        Check(made, "cannot set up the music's conversion");
        if (channels == 1) {
            // The show plays a mono link on both sides at its own level; the converter's own
            // mix would lower it by 3 dB.
            const double bothSides[MUSIC_CHANNELS] = {1.0, 1.0};
            Check(swr_set_matrix(converter->context, bothSides, 1), "cannot set up the music's conversion");
        }
        Check(swr_init(converter->context), "cannot set up the music's conversion");
    } catch (...) {
        FreeLinkConverter(converter);
        throw;
    }
    return converter;
}

int ConvertLink(LinkConverter* converter, const float* input, int count, std::vector<float>& output) {
    const int room = Check(swr_get_out_samples(converter->context, count), "cannot convert the music");
    const size_t before = output.size();
    output.resize(before + static_cast<size_t>(room) * MUSIC_CHANNELS);
    auto* out = reinterpret_cast<uint8_t*>(output.data() + before);
    const auto* in = reinterpret_cast<const uint8_t*>(input);
    const int got =
        Check(swr_convert(converter->context, &out, room, input != nullptr ? &in : nullptr, count),
              "cannot convert the music");
    output.resize(before + static_cast<size_t>(got) * MUSIC_CHANNELS);
    return got;
}

void FreeLinkConverter(LinkConverter* converter) {
    if (converter != nullptr) {
        swr_free(&converter->context);
        delete converter;
    }
}
