#include "capture/link_converter.h"

#include "audio/sample_converter.h"
#include "capture/capture_error.h"
#include "capture/music_source.h"

struct LinkConverter {
    SampleConverter* samples = nullptr;
    int channels = 0;
};

LinkConverter* OpenLinkConverter(int rate, int channels, int trackRate) {
    SampleConverter* samples = NewSampleConverter(channels, rate, trackRate);
    if (samples == nullptr) {
        throw CaptureError("cannot set up the music's conversion from " + std::to_string(rate) + " Hz, " +
                           std::to_string(channels) + " channels");
    }
    return new LinkConverter{samples, channels};
}

int ConvertLink(LinkConverter* converter, const float* input, int count, std::vector<float>& output) {
    if (input != nullptr) {
        ConverterPut(converter->samples, input,
                     count * converter->channels * static_cast<int>(sizeof(float)));
    } else {
        ConverterFlush(converter->samples);
    }
    const int ready = ConverterAvailable(converter->samples);
    const size_t before = output.size();
    output.resize(before + static_cast<size_t>(ready) / sizeof(float));
    const int got = ConverterGet(converter->samples, output.data() + before, ready);
    output.resize(before + static_cast<size_t>(got) / sizeof(float));
    return got / static_cast<int>(sizeof(float) * MUSIC_CHANNELS);
}

void FreeLinkConverter(LinkConverter* converter) {
    if (converter != nullptr) {
        FreeSampleConverter(converter->samples);
        delete converter;
    }
}
