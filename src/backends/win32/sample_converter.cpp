#include "audio/sample_converter.h"

#include <algorithm>
#include <cmath>
#include <vector>

// Stereo float frames from any channel count (mono doubled, the first two of more) and, where
// the rates differ, resampled by linear interpolation. At equal rates the frames pass unchanged.
struct SampleConverter {
    int channels = 0;
    int rate = 0;
    int outputRate = 0;
    bool flushed = false;
    double position = 0.0;      // the next output frame's place among the input frames held
    std::vector<float> input;   // stereo input frames not yet fully used
    std::vector<float> output;  // converted stereo frames ready to take
};

namespace {

void Convert(SampleConverter& converter) {
    const size_t frames = converter.input.size() / 2;
    if (converter.rate == converter.outputRate) {
        converter.output.insert(converter.output.end(), converter.input.begin(), converter.input.end());
        converter.input.clear();
        return;
    }
    const double step = static_cast<double>(converter.rate) / converter.outputRate;
    // Interpolation needs the frame after the place, unless the input has ended.
    while (converter.position + 1 < frames || (converter.flushed && converter.position < frames)) {
        const auto at = static_cast<size_t>(converter.position);
        const float part = static_cast<float>(converter.position - at);
        const size_t next = std::min(at + 1, frames - 1);
        for (int c = 0; c < 2; ++c) {
            const float a = converter.input[at * 2 + c];
            const float b = converter.input[next * 2 + c];
            converter.output.push_back(a + (b - a) * part);
        }
        converter.position += step;
    }
    const auto used = std::min(static_cast<size_t>(converter.position), frames);
    converter.input.erase(converter.input.begin(), converter.input.begin() + used * 2);
    converter.position -= used;
}

}  // namespace

SampleConverter* NewSampleConverter(int channels, int rate, int outputRate) {
    if (channels < 1 || rate < 1 || outputRate < 1) {
        return nullptr;
    }
    auto* converter = new SampleConverter;
    converter->channels = channels;
    converter->rate = rate;
    converter->outputRate = outputRate;
    return converter;
}

bool ConverterPut(SampleConverter* converter, const float* samples, int bytes) {
    const int frames = bytes / static_cast<int>(sizeof(float)) / converter->channels;
    for (int i = 0; i < frames; ++i) {
        const float* frame = samples + static_cast<size_t>(i) * converter->channels;
        converter->input.push_back(frame[0]);
        converter->input.push_back(converter->channels == 1 ? frame[0] : frame[1]);
    }
    converter->flushed = false;
    Convert(*converter);
    return true;
}

int ConverterGet(SampleConverter* converter, float* samples, int bytes) {
    const size_t count = std::min(converter->output.size(), static_cast<size_t>(bytes) / sizeof(float));
    std::copy_n(converter->output.begin(), count, samples);
    converter->output.erase(converter->output.begin(), converter->output.begin() + count);
    return static_cast<int>(count * sizeof(float));
}

int ConverterAvailable(SampleConverter* converter) {
    return static_cast<int>(converter->output.size() * sizeof(float));
}

void ConverterFlush(SampleConverter* converter) {
    converter->flushed = true;
    Convert(*converter);
}

void ConverterClear(SampleConverter* converter) {
    converter->input.clear();
    converter->output.clear();
    converter->position = 0.0;
    converter->flushed = false;
}

void FreeSampleConverter(SampleConverter* converter) {
    delete converter;
}
