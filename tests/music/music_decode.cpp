#include "music_decode.h"

#include <gtest/gtest.h>
#include <mpg123.h>

#include <algorithm>
#include <cmath>

DecodedAudio DecodeMp3File(const std::string& path) {
    DecodedAudio audio;
    mpg123_handle* handle = mpg123_new(nullptr, nullptr);
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
    mpg123_format_none(handle);
    mpg123_format(handle, DecodedAudio::kRate, MPG123_STEREO, MPG123_ENC_FLOAT_32);
    int result = mpg123_open(handle, path.c_str());
    float chunk[4096];
    while (result == MPG123_OK || result == MPG123_NEW_FORMAT) {
        size_t bytes = 0;
        result = mpg123_read(handle, chunk, sizeof chunk, &bytes);
        audio.samples.insert(audio.samples.end(), chunk, chunk + bytes / sizeof(float));
    }
    if (result != MPG123_DONE) {
        ADD_FAILURE() << path << ": " << mpg123_strerror(handle);
    }
    mpg123_close(handle);
    mpg123_delete(handle);
    return audio;
}

double LoudnessDb(const DecodedAudio& audio, double start, double end) {
    const long first = std::max(0L, static_cast<long>(start * DecodedAudio::kRate));
    const long last = std::min(audio.Frames(), static_cast<long>(end * DecodedAudio::kRate));
    double sum = 0.0;
    for (long i = 2 * first; i < 2 * last; ++i) {
        sum += audio.samples[i] * audio.samples[i];
    }
    const double meanSquare = sum / std::max(1L, 2 * (last - first));
    return 10.0 * std::log10(meanSquare + 1e-20);
}

Onset SharpestRiseNear(const DecodedAudio& audio, double seconds, double radius) {
    const long step = DecodedAudio::kRate / 2000;  // candidates every half millisecond
    Onset best{seconds, -1e9};
    for (double t = seconds - radius; t <= seconds + radius;
         t += static_cast<double>(step) / DecodedAudio::kRate) {
        const double rise = LoudnessDb(audio, t, t + 0.010) - LoudnessDb(audio, t - 0.030, t);
        if (rise > best.riseDb) {
            best = {t, rise};
        }
    }
    return best;
}
