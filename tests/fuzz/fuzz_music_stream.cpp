// A stream over any file: the choice between Ogg Vorbis and MP3 from the first bytes, the
// chosen decoder's read loop, and the conversion of its frames (every link of a chained Ogg
// file in its own format) to the device's.
#include "audio/audio_layer.h"
#include "audio/decoder.h"
#include "fuzz_input.h"
#include "music_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Decoder decoder;
    if (OpenStreamDecoder(decoder, InputAsFile(data, size).c_str()) == AUDIO_OK) {
        PlayDecoder(decoder);
    }
    return 0;
}
