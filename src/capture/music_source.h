#pragma once
#include <string>
#include <vector>

#include "audio/decoder.h"

// The music of a capture, decoded by the show's own decoders with its loop rule (a module
// starts again when it ends, a stream plays once), as interleaved float frames at the
// decoder's rate and channel count.
struct MusicSource {
    Decoder decoder;
    bool ended = false;  // a stream has given its last frame; silence follows
};

// Opens `path` as a module or a stream by its extension, as the show does. Throws
// CaptureError naming the file and the reason.
void OpenMusicSource(MusicSource& music, const std::string& path);
// Decodes and drops `frames` frames: exact, whatever the format.
void SkipMusic(MusicSource& music, int64_t frames);
// Fills `frames` with exactly `count` frames, silence after the end of a stream.
void ReadMusic(MusicSource& music, float* frames, int count);
void CloseMusicSource(MusicSource& music);
