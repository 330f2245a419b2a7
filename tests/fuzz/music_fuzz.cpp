#include "music_fuzz.h"

#include <vector>

namespace {

constexpr int OUTPUT_RATE = 44100;
constexpr int CALLBACK_SAMPLES = 2048;  // what one device callback of 1024 stereo frames asks for
constexpr int CALLBACKS = OUTPUT_RATE * 2 / CALLBACK_SAMPLES;  // a second of output

void Mix(AudioChannel& channel) {
    std::vector<float> output(CALLBACK_SAMPLES);
    for (int i = 0; i < CALLBACKS && channel.playing; ++i) {
        MixChannel(channel, output.data(), CALLBACK_SAMPLES);
    }
}

}  // namespace

void PlayDecoder(Decoder& decoder) {
    AudioChannel channel;
    channel.decoder = decoder;
    decoder = Decoder{};
    if (PrepareChannel(channel, OUTPUT_RATE)) {
        channel.playing = true;
        Mix(channel);
        // A seek into the music, then one back to its start.
        for (const uint64_t milliseconds : {700, 0}) {
            SeekChannel(channel, milliseconds);
            channel.playing = true;
            Mix(channel);
        }
    }
    ReleaseChannel(channel);
}
