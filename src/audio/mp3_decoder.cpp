#include <mpg123.h>

#include "audio/audio_layer.h"
#include "audio/decoder_formats.h"

namespace {

// Asks the decoder for float samples at whatever rate and channel count the file has.
void AcceptFloatOutputOnly(mpg123_handle* handle) {
    mpg123_format_none(handle);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i) {
        mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);
    }
}

}  // namespace

int OpenMp3Decoder(Decoder& decoder, const char* path) {
    int error = MPG123_OK;
    mpg123_handle* handle = mpg123_new(nullptr, &error);
    if (handle == nullptr) {
        return AUDIO_ERROR_MEMORY;
    }
    // Gapless: the encoder's delay and padding are left out, so frame 0 is the music's first and
    // seeks count from it. Set here rather than left to the library's build-time default.
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0);
    AcceptFloatOutputOnly(handle);
    if (mpg123_open(handle, path) != MPG123_OK) {
        mpg123_delete(handle);
        return AUDIO_ERROR_FILE_OPEN;
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 || channels <= 0) {
        mpg123_delete(handle);
        return AUDIO_ERROR_FILE_FORMAT;
    }
    // Fix the format from here on, so that no later frame can change it.
    mpg123_format_none(handle);
    mpg123_format(handle, rate, channels, MPG123_ENC_FLOAT_32);
    decoder.kind = DecoderKind::MP3;
    decoder.mp3 = handle;
    decoder.rate = static_cast<int>(rate);
    decoder.channels = channels;
    return AUDIO_OK;
}

int ReadMp3Frames(Decoder& decoder, float* frames, int maxFrames) {
    const size_t frameBytes = sizeof(float) * decoder.channels;
    size_t done = 0;
    int result = MPG123_OK;
    do {
        result = mpg123_read(decoder.mp3, frames, frameBytes * maxFrames, &done);
    } while (done == 0 && result == MPG123_NEW_FORMAT);
    return static_cast<int>(done / frameBytes);
}

void SeekMp3(Decoder& decoder, uint64_t frame) {
    mpg123_seek(decoder.mp3, static_cast<off_t>(frame), SEEK_SET);
}

void CloseMp3(Decoder& decoder) {
    mpg123_close(decoder.mp3);
    mpg123_delete(decoder.mp3);
    decoder.mp3 = nullptr;
}
