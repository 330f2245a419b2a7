#include "capture/music_source.h"

#include <algorithm>

#include "audio/audio_layer.h"
#include "audio/music_playback.h"
#include "capture/capture_error.h"

namespace {

// The show renders modules at its output device's rate.
constexpr int MODULE_RATE = 44100;
constexpr int SKIP_CHUNK_FRAMES = 4096;

}  // namespace

void OpenMusicSource(MusicSource& music, const std::string& path) {
    int result = AUDIO_ERROR_FILE_FORMAT;
    switch (MusicKindForName(path, MUSIC_NONE)) {
        case MUSIC_MODULE:
            // The show loads modules looping and with volume ramps.
            result = OpenModuleDecoder(music.decoder, path.c_str(), MODULE_RATE, true, true);
            break;
        case MUSIC_STREAM:
            result = OpenStreamDecoder(music.decoder, path.c_str());
            break;
        default:
            throw CaptureError(path + ": not a music file the show plays (mod, s3m, xm, it, mp3, ogg)");
    }
    if (result != AUDIO_OK) {
        throw CaptureError(path + ": cannot load music: " + AudioErrorText(result));
    }
    music.ended = false;
}

void SkipMusic(MusicSource& music, int64_t frames) {
    std::vector<float> chunk(static_cast<size_t>(SKIP_CHUNK_FRAMES) * music.decoder.channels);
    while (frames > 0) {
        const int count = static_cast<int>(std::min<int64_t>(frames, SKIP_CHUNK_FRAMES));
        ReadMusic(music, chunk.data(), count);
        frames -= count;
    }
}

void ReadMusic(MusicSource& music, float* frames, int count) {
    const int channels = music.decoder.channels;
    int done = 0;
    while (done < count && !music.ended) {
        const int got =
            ReadDecoder(music.decoder, frames + static_cast<size_t>(done) * channels, count - done);
        music.ended = got <= 0;
        done += std::max(got, 0);
    }
    std::fill(frames + static_cast<size_t>(done) * channels, frames + static_cast<size_t>(count) * channels,
              0.0f);
}

void CloseMusicSource(MusicSource& music) {
    CloseDecoder(music.decoder);
}
