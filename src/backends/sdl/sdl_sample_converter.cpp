#include <SDL.h>

#include "audio/sample_converter.h"

// SDL's audio stream does the conversion: the converter is the stream itself.
struct SampleConverter {};

namespace {

SDL_AudioStream* Stream(SampleConverter* converter) {
    return reinterpret_cast<SDL_AudioStream*>(converter);
}

}  // namespace

SampleConverter* NewSampleConverter(int channels, int rate, int outputRate) {
    return reinterpret_cast<SampleConverter*>(
        SDL_NewAudioStream(AUDIO_F32SYS, static_cast<Uint8>(channels), rate, AUDIO_F32SYS, 2, outputRate));
}

bool ConverterPut(SampleConverter* converter, const float* samples, int bytes) {
    return SDL_AudioStreamPut(Stream(converter), samples, bytes) == 0;
}

int ConverterGet(SampleConverter* converter, float* samples, int bytes) {
    const int got = SDL_AudioStreamGet(Stream(converter), samples, bytes);
    return got < 0 ? 0 : got;
}

int ConverterAvailable(SampleConverter* converter) {
    return SDL_AudioStreamAvailable(Stream(converter));
}

void ConverterFlush(SampleConverter* converter) {
    SDL_AudioStreamFlush(Stream(converter));
}

void ConverterClear(SampleConverter* converter) {
    SDL_AudioStreamClear(Stream(converter));
}

void FreeSampleConverter(SampleConverter* converter) {
    SDL_FreeAudioStream(Stream(converter));
}
