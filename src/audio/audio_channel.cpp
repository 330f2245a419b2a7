#include "audio/audio_channel.h"

#include <algorithm>

namespace {

constexpr int OUTPUT_CHANNELS = 2;
constexpr int CHUNK_FRAMES = 2048;  // frames decoded or mixed in one step

// Feeds the converter until it holds `wantedBytes` or the decoder has ended.
void FillConverter(AudioChannel& channel, int wantedBytes) {
    while (!channel.decoderEnded && SDL_AudioStreamAvailable(channel.converter) < wantedBytes) {
        const int frames = ReadDecoder(channel.decoder, channel.decodeBuffer.data(), CHUNK_FRAMES);
        if (frames <= 0) {
            channel.decoderEnded = true;
            SDL_AudioStreamFlush(channel.converter);
            break;
        }
        const int bytes = frames * channel.decoder.channels * static_cast<int>(sizeof(float));
        if (SDL_AudioStreamPut(channel.converter, channel.decodeBuffer.data(), bytes) != 0) {
            channel.decoderEnded = true;
        }
    }
}

}  // namespace

bool PrepareChannel(AudioChannel& channel, int outputRate) {
    channel.converter = SDL_NewAudioStream(AUDIO_F32SYS, static_cast<Uint8>(channel.decoder.channels),
                                           channel.decoder.rate, AUDIO_F32SYS, OUTPUT_CHANNELS, outputRate);
    if (channel.converter == nullptr) {
        return false;
    }
    channel.decodeBuffer.assign(static_cast<size_t>(CHUNK_FRAMES) * channel.decoder.channels, 0.0f);
    channel.mixBuffer.assign(static_cast<size_t>(CHUNK_FRAMES) * OUTPUT_CHANNELS, 0.0f);
    return true;
}

void SeekChannel(AudioChannel& channel, uint64_t milliseconds) {
    SeekDecoder(channel.decoder, milliseconds * static_cast<uint64_t>(channel.decoder.rate) / 1000);
    SDL_AudioStreamClear(channel.converter);
    channel.decoderEnded = false;
}

void MixChannel(AudioChannel& channel, float* output, int sampleCount) {
    int mixed = 0;
    while (mixed < sampleCount) {
        const int wanted = std::min(sampleCount - mixed, static_cast<int>(channel.mixBuffer.size()));
        const int wantedBytes = wanted * static_cast<int>(sizeof(float));
        FillConverter(channel, wantedBytes);
        const int gotBytes = SDL_AudioStreamGet(channel.converter, channel.mixBuffer.data(), wantedBytes);
        const int got = std::max(gotBytes, 0) / static_cast<int>(sizeof(float));
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
        SDL_FreeAudioStream(channel.converter);
        channel.converter = nullptr;
    }
    CloseDecoder(channel.decoder);
}
