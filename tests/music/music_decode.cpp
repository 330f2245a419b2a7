#include "music_decode.h"

#include <gtest/gtest.h>
#include <mpg123.h>

#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

bool ReadAll(mpg123_handle* handle, DecodedAudio& audio) {
    std::vector<float> chunk(16384);
    for (;;) {
        size_t bytes = 0;
        const int result = mpg123_read(handle, chunk.data(), chunk.size() * sizeof(float), &bytes);
        const size_t values = bytes / sizeof(float);
        for (size_t i = 0; i + 1 < values; i += 2) {
            audio.left.push_back(chunk[i]);
            audio.right.push_back(chunk[i + 1]);
        }
        if (result == MPG123_DONE) {
            return true;
        }
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT) {
            ADD_FAILURE() << "mpg123: " << mpg123_strerror(handle);
            return false;
        }
    }
}

// Opens `path` for decoding to 44.1 kHz float stereo with gapless decoding on.
DecodedAudio Decode(const std::string& path) {
    DecodedAudio audio;
    int error = MPG123_OK;
    mpg123_handle* handle = mpg123_new(nullptr, &error);
    if (handle == nullptr) {
        ADD_FAILURE() << "mpg123: cannot create a decoder";
        return audio;
    }
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
    mpg123_format_none(handle);
    mpg123_format(handle, 44100, MPG123_STEREO, MPG123_ENC_FLOAT_32);
    if (mpg123_open(handle, path.c_str()) != MPG123_OK) {
        ADD_FAILURE() << path << ": " << mpg123_strerror(handle);
    } else {
        audio.rate = 44100;
        ReadAll(handle, audio);
        mpg123_close(handle);
    }
    mpg123_delete(handle);
    return audio;
}

}  // namespace

DecodedAudio DecodeMp3File(const std::string& path) {
    return Decode(path);
}

DecodedAudio DecodeMp3Bytes(const std::vector<unsigned char>& bytes) {
    char path[] = "/tmp/music_test_XXXXXX";
    const int descriptor = mkstemp(path);
    if (descriptor < 0 ||
        write(descriptor, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
        ADD_FAILURE() << "cannot write a temporary MP3 file";
        return {};
    }
    close(descriptor);
    DecodedAudio audio = Decode(path);
    std::remove(path);
    return audio;
}

double LoudnessDb(const DecodedAudio& audio, double start, double end) {
    const long first = std::max(0L, static_cast<long>(start * audio.rate));
    const long last = std::min(static_cast<long>(audio.left.size()), static_cast<long>(end * audio.rate));
    double sum = 0.0;
    for (long i = first; i < last; ++i) {
        sum += audio.left[i] * audio.left[i] + audio.right[i] * audio.right[i];
    }
    const double meanSquare = sum / std::max(1L, 2 * (last - first));
    return 10.0 * std::log10(meanSquare + 1e-20);
}

float PeakLevel(const DecodedAudio& audio) {
    float peak = 0.0f;
    for (size_t i = 0; i < audio.left.size(); ++i) {
        peak = std::max({peak, std::fabs(audio.left[i]), std::fabs(audio.right[i])});
    }
    return peak;
}

Onset SharpestRiseNear(const DecodedAudio& audio, double seconds, double radius) {
    const long step = audio.rate / 2000;  // candidates every half millisecond
    Onset best{seconds, -1e9};
    for (double t = seconds - radius; t <= seconds + radius; t += static_cast<double>(step) / audio.rate) {
        const double rise = LoudnessDb(audio, t, t + 0.010) - LoudnessDb(audio, t - 0.030, t);
        if (rise > best.riseDb) {
            best = {t, rise};
        }
    }
    return best;
}
