#include "audio/decoder.h"

#include <cstring>

#include "audio/audio_layer.h"
#include "audio/decoder_formats.h"
#include "audio/file_reading.h"

int OpenStreamDecoder(Decoder& decoder, const char* path) {
    char magic[4] = {};
    size_t got = 0;
    if (!ReadFileStart(path, magic, sizeof magic, got)) {
        return AUDIO_ERROR_FILE_OPEN;
    }
    if (got == sizeof magic && std::memcmp(magic, "OggS", sizeof magic) == 0) {
        return OpenVorbisDecoder(decoder, path);
    }
    return OpenMp3Decoder(decoder, path);
}

int ReadDecoder(Decoder& decoder, float* frames, int maxFrames) {
    switch (decoder.kind) {
        case DecoderKind::MODULE:
            return ReadModuleFrames(decoder, frames, maxFrames);
        case DecoderKind::MP3:
            return ReadMp3Frames(decoder, frames, maxFrames);
        case DecoderKind::VORBIS:
            return ReadVorbisFrames(decoder, frames, maxFrames);
        case DecoderKind::NONE:
            break;
    }
    return 0;
}

void SeekDecoder(Decoder& decoder, uint64_t frame) {
    switch (decoder.kind) {
        case DecoderKind::MODULE:
            SeekModule(decoder, frame);
            break;
        case DecoderKind::MP3:
            SeekMp3(decoder, frame);
            break;
        case DecoderKind::VORBIS:
            SeekVorbis(decoder, frame);
            break;
        case DecoderKind::NONE:
            break;
    }
}

void CloseDecoder(Decoder& decoder) {
    switch (decoder.kind) {
        case DecoderKind::MODULE:
            CloseModule(decoder);
            break;
        case DecoderKind::MP3:
            CloseMp3(decoder);
            break;
        case DecoderKind::VORBIS:
            CloseVorbis(decoder);
            break;
        case DecoderKind::NONE:
            break;
    }
    decoder.kind = DecoderKind::NONE;
}
