#pragma once
#include <cstdint>

struct openmpt_module;
struct mpg123_handle_struct;
struct OggVorbis_File;

enum class DecoderKind { NONE, MODULE, MP3, VORBIS };

// The formats a decoder hands on: as many channels as the converter takes, and rates whose
// conversion to the device's keeps a chunk of frames to a reasonable size.
constexpr int MAX_DECODER_CHANNELS = 8;
constexpr long MIN_DECODER_RATE = 1000;
constexpr long MAX_DECODER_RATE = 384000;

// A file decoder giving interleaved 32-bit float frames at its own rate and channel count.
// Both can change within a file (the links of a chained Ogg stream): they are always those
// of the frames the last read gave, at first those of the file's start.
struct Decoder {
    DecoderKind kind = DecoderKind::NONE;
    int rate = 0;
    int channels = 0;
    openmpt_module* module = nullptr;
    mpg123_handle_struct* mp3 = nullptr;
    OggVorbis_File* vorbis = nullptr;
};

// Each opener returns an AudioError code (AUDIO_OK on success) and fills the decoder.
// A module renders at `rate` in stereo and, with `loop`, starts again when it ends.
int OpenModuleDecoder(Decoder& decoder, const char* path, int rate, bool loop, bool ramps);
// Chooses Ogg Vorbis or MP3 from the file's first bytes.
int OpenStreamDecoder(Decoder& decoder, const char* path);
// Reads up to `maxFrames` frames into `frames`, which holds maxFrames * MAX_DECODER_CHANNELS
// samples; returns the number read, 0 at the end.
int ReadDecoder(Decoder& decoder, float* frames, int maxFrames);
// Moves to frame `frame` of the decoder's own rate, sample-exactly: the next read gives what
// reading from the start and dropping `frame` frames would. Past the end the next read gives
// nothing; a looping module wraps `frame` to its length.
void SeekDecoder(Decoder& decoder, uint64_t frame);
void CloseDecoder(Decoder& decoder);
