#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "audio/decoder.h"

struct LinkConverter;

// The music of a capture, decoded by the show's own decoders with its loop rule (a module
// starts again when it ends, a stream plays once), as interleaved stereo float frames at the
// track's rate: the rate the file starts with. The links of a chained Ogg stream may each have
// their own rate and channel count; as the played show does, each is converted to the track's
// format, so the music keeps its pitch and its length across them.
struct MusicSource {
    Decoder decoder;
    int rate = 0;                // the track's frames per second
    bool ended = false;          // the decoder has given its last frame; silence follows what is ready
    std::vector<float> decoded;  // one read of the decoder, room for any channel count it gives
    std::vector<float> ready;    // stereo frames at `rate` not yet handed out
    size_t readyAt = 0;          // samples of `ready` already handed out
    // Converts a link whose format is not the track's; none while the link's format is.
    LinkConverter* converter = nullptr;
    int converterRate = 0;
    int converterChannels = 0;
};

constexpr int MUSIC_CHANNELS = 2;  // the show plays every music file in stereo

// Opens `path` as a module or a stream by its extension, as the show does. Throws
// CaptureError naming the file and the reason.
void OpenMusicSource(MusicSource& music, const std::string& path);
// Decodes and drops `frames` frames of the track: exact, whatever the format.
void SkipMusic(MusicSource& music, int64_t frames);
// Fills `frames` with exactly `count` stereo frames of the track, silence after the end of a
// stream. Throws CaptureError when a link's conversion cannot be set up.
void ReadMusic(MusicSource& music, float* frames, int count);
void CloseMusicSource(MusicSource& music);
