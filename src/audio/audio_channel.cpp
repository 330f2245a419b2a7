#include "audio/audio_channel.h"

#include <algorithm>

namespace {

constexpr int OUTPUT_CHANNELS = 2;
constexpr int CHUNK_FRAMES = 2048;  // frames decoded or mixed in one step
constexpr int SAMPLE_BYTES = static_cast<int>(sizeof(float));

// A converter from the decoder's present format to the device's, remembered with the channel.
bool NewConverter(AudioChannel& channel) {
    SampleConverter* converter =
        NewSampleConverter(channel.decoder.channels, channel.decoder.rate, channel.outputRate);
    if (converter == nullptr) {
        return false;
    }
    channel.converter = converter;
    channel.converterRate = channel.decoder.rate;
    channel.converterChannels = channel.decoder.channels;
    return true;
}

// When the frames just decoded come in another format (the next link of a chained Ogg
// stream), they need a converter of their own: the old one gives up everything it still
// holds, to be played first, and is replaced. False if no converter can be made.
bool FollowDecoderFormat(AudioChannel& channel) {
    if (channel.decoder.rate == channel.converterRate &&
        channel.decoder.channels == channel.converterChannels) {
        return true;
    }
    SampleConverter* old = channel.converter;
    if (!NewConverter(channel)) {
        return false;
    }
    ConverterFlush(old);
    const size_t carriedBefore = channel.carried.size();
    channel.carried.resize(carriedBefore + ConverterAvailable(old) / SAMPLE_BYTES);
    const int got = ConverterGet(old, channel.carried.data() + carriedBefore,
                                 static_cast<int>(channel.carried.size() - carriedBefore) * SAMPLE_BYTES);
    channel.carried.resize(carriedBefore + std::max(got, 0) / SAMPLE_BYTES);
    FreeSampleConverter(old);
    return true;
}

int ConvertedBytes(const AudioChannel& channel) {
    return static_cast<int>(channel.carried.size()) * SAMPLE_BYTES + ConverterAvailable(channel.converter);
}

// Feeds the converter until it holds `wantedBytes` or the decoder has ended.
void FillConverter(AudioChannel& channel, int wantedBytes) {
    while (!channel.decoderEnded && ConvertedBytes(channel) < wantedBytes) {
        const int frames = ReadDecoder(channel.decoder, channel.decodeBuffer.data(), CHUNK_FRAMES);
        if (frames <= 0 || !FollowDecoderFormat(channel)) {
            channel.decoderEnded = true;
            ConverterFlush(channel.converter);
            break;
        }
        const int bytes = frames * channel.decoder.channels * SAMPLE_BYTES;
        if (!ConverterPut(channel.converter, channel.decodeBuffer.data(), bytes)) {
            channel.decoderEnded = true;
        }
    }
}

// Takes up to `wanted` converted samples into `samples`, those carried over first; returns
// how many it took.
int TakeConverted(AudioChannel& channel, float* samples, int wanted) {
    const int fromCarried = std::min(wanted, static_cast<int>(channel.carried.size()));
    std::copy_n(channel.carried.begin(), fromCarried, samples);
    channel.carried.erase(channel.carried.begin(), channel.carried.begin() + fromCarried);
    if (fromCarried == wanted) {
        return wanted;
    }
    const int gotBytes =
        ConverterGet(channel.converter, samples + fromCarried, (wanted - fromCarried) * SAMPLE_BYTES);
    return fromCarried + std::max(gotBytes, 0) / SAMPLE_BYTES;
}

}  // namespace

bool PrepareChannel(AudioChannel& channel, int outputRate) {
    channel.outputRate = outputRate;
    if (!NewConverter(channel)) {
        return false;
    }
    channel.decodeBuffer.assign(static_cast<size_t>(CHUNK_FRAMES) * MAX_DECODER_CHANNELS, 0.0f);
    channel.mixBuffer.assign(static_cast<size_t>(CHUNK_FRAMES) * OUTPUT_CHANNELS, 0.0f);
    return true;
}

void SeekChannel(AudioChannel& channel, uint64_t milliseconds) {
    SeekDecoder(channel.decoder, milliseconds * static_cast<uint64_t>(channel.decoder.rate) / 1000);
    ConverterClear(channel.converter);
    channel.carried.clear();
    channel.decoderEnded = false;
}

void MixChannel(AudioChannel& channel, float* output, int sampleCount) {
    int mixed = 0;
    while (mixed < sampleCount) {
        const int wanted = std::min(sampleCount - mixed, static_cast<int>(channel.mixBuffer.size()));
        FillConverter(channel, wanted * SAMPLE_BYTES);
        const int got = TakeConverted(channel, channel.mixBuffer.data(), wanted);
        for (int i = 0; i < got; ++i) {
            output[mixed + i] += channel.mixBuffer[i];
        }
        mixed += got;
        if (got < wanted) {
            channel.playing = false;  // the stream has run out
            return;
        }
    }
}

void ReleaseChannel(AudioChannel& channel) {
    if (channel.converter != nullptr) {
        FreeSampleConverter(channel.converter);
        channel.converter = nullptr;
    }
    CloseDecoder(channel.decoder);
}
