#include "capture/music_source.h"

#include <algorithm>

#include "audio/audio_layer.h"
#include "audio/decoder_formats.h"
#include "audio/file_reading.h"
#include "audio/music_playback.h"
#include "capture/capture_error.h"
#include "capture/link_converter.h"

namespace {

// The show renders modules at its output device's rate.
constexpr int MODULE_RATE = 44100;
constexpr int DECODE_FRAMES = 4096;  // frames asked of the decoder at a time
constexpr int SKIP_CHUNK_FRAMES = 4096;

void FreeConverter(MusicSource& music) {
    FreeLinkConverter(music.converter);
    music.converter = nullptr;
    music.converterRate = 0;
    music.converterChannels = 0;
}

// Ends the present link's conversion: what the converter still holds comes first.
void DrainConverter(MusicSource& music) {
    if (music.converter == nullptr) {
        return;
    }
    while (ConvertLink(music.converter, nullptr, 0, music.ready) > 0) {
    }
    FreeConverter(music);
}

void OpenConverter(MusicSource& music, int rate, int channels) {
    music.converter = OpenLinkConverter(rate, channels, music.rate);
    music.converterRate = rate;
    music.converterChannels = channels;
}

// Decodes the next frames into `ready`, converted where the link's format is not the track's.
void DecodeMore(MusicSource& music) {
    music.ready.clear();
    music.readyAt = 0;
    const int got = ReadDecoder(music.decoder, music.decoded.data(), DECODE_FRAMES);
    if (got <= 0) {
        DrainConverter(music);
        music.ended = true;
        return;
    }
    const int rate = music.decoder.rate;
    const int channels = music.decoder.channels;
    const bool asTrack = rate == music.rate && channels == MUSIC_CHANNELS;
    if (music.converter != nullptr && (rate != music.converterRate || channels != music.converterChannels)) {
        DrainConverter(music);
    }
    if (asTrack) {
        music.ready.insert(music.ready.end(), music.decoded.begin(),
                           music.decoded.begin() + static_cast<ptrdiff_t>(got) * MUSIC_CHANNELS);
        return;
    }
    if (music.converter == nullptr) {
        OpenConverter(music, rate, channels);
    }
    ConvertLink(music.converter, music.decoded.data(), got, music.ready);
}

}  // namespace

void OpenMusicSource(MusicSource& music, const std::string& path) {
    const uint8_t kind = MusicKindForName(path, MUSIC_NONE);
    int result = AUDIO_ERROR_FILE_FORMAT;
    switch (kind) {
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
        const std::string why =
            result == AUDIO_ERROR_FILE_OPEN ? MusicFileProblem(path.c_str(), kind == MUSIC_MODULE) : "";
        throw CaptureError(path + ": cannot load music: " + (why.empty() ? AudioErrorText(result) : why));
    }
    music.rate = music.decoder.rate;
    music.ended = false;
    music.decoded.assign(static_cast<size_t>(DECODE_FRAMES) * MAX_DECODER_CHANNELS, 0.0f);
    music.ready.clear();
    music.readyAt = 0;
}

void SkipMusic(MusicSource& music, int64_t frames) {
    std::vector<float> chunk(static_cast<size_t>(SKIP_CHUNK_FRAMES) * MUSIC_CHANNELS);
    while (frames > 0) {
        const int count = static_cast<int>(std::min<int64_t>(frames, SKIP_CHUNK_FRAMES));
        ReadMusic(music, chunk.data(), count);
        frames -= count;
    }
}

void ReadMusic(MusicSource& music, float* frames, int count) {
    const size_t wanted = static_cast<size_t>(count) * MUSIC_CHANNELS;
    size_t done = 0;
    while (done < wanted) {
        if (music.readyAt == music.ready.size()) {
            if (music.ended) {
                break;
            }
            DecodeMore(music);
            continue;
        }
        const size_t taken = std::min(wanted - done, music.ready.size() - music.readyAt);
        std::copy_n(music.ready.begin() + static_cast<ptrdiff_t>(music.readyAt), taken, frames + done);
        music.readyAt += taken;
        done += taken;
    }
    std::fill(frames + done, frames + wanted, 0.0f);
}

void CloseMusicSource(MusicSource& music) {
    FreeConverter(music);
    CloseDecoder(music.decoder);
}
