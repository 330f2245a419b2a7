// A tracker module over any file: the module decoder's read loop, looping, and the
// conversion of its frames to the device's.
#include "audio/audio_layer.h"
#include "audio/decoder.h"
#include "fuzz_input.h"
#include "music_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Decoder decoder;
    if (OpenModuleDecoder(decoder, InputAsFile(data, size).c_str(), 44100, true, true) == AUDIO_OK) {
        PlayDecoder(decoder);
    }
    return 0;
}
