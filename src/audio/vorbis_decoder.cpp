#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "audio/audio_layer.h"
#include "audio/decoder_formats.h"

namespace {

bool IsPlayable(const vorbis_info* info) {
    return info != nullptr && info->channels >= 1 && info->channels <= MAX_DECODER_CHANNELS &&
           info->rate >= MIN_DECODER_RATE && info->rate <= MAX_DECODER_RATE;
}

}  // namespace

int OpenVorbisDecoder(Decoder& decoder, const char* path) {
    auto file = std::make_unique<OggVorbis_File>();
    if (ov_fopen(path, file.get()) < 0) {
        return AUDIO_ERROR_FILE_FORMAT;
    }
    const vorbis_info* info = ov_info(file.get(), -1);
    if (!IsPlayable(info)) {
        ov_clear(file.get());
        return AUDIO_ERROR_FILE_FORMAT;
    }
    // Read from where it is left after the open, a chained file begins with its second link:
    // libvorbisfile skips the first (seen with links of one to several pages). A seek to the
    // first sample puts it there, as it does for a seek of the played show.
    if (ov_seekable(file.get()) != 0 && ov_pcm_seek(file.get(), 0) != 0) {
        ov_clear(file.get());
        return AUDIO_ERROR_FILE_FORMAT;
    }
    decoder.vorbis = file.release();
    decoder.kind = DecoderKind::VORBIS;
    decoder.rate = static_cast<int>(info->rate);
    decoder.channels = info->channels;
    return AUDIO_OK;
}

int ReadVorbisFrames(Decoder& decoder, float* frames, int maxFrames) {
    float** planes = nullptr;
    int link = 0;
    long got = 0;
    do {
        got = ov_read_float(decoder.vorbis, &planes, maxFrames, &link);
    } while (got == OV_HOLE);
    // Each link of a chained file has its own channel count and rate; the planes are its.
    const vorbis_info* info = got > 0 ? ov_info(decoder.vorbis, link) : nullptr;
    if (!IsPlayable(info)) {
        return 0;
    }
    decoder.rate = static_cast<int>(info->rate);
    decoder.channels = info->channels;
    for (long frame = 0; frame < got; ++frame) {
        for (int channel = 0; channel < decoder.channels; ++channel) {
            frames[frame * decoder.channels + channel] = planes[channel][frame];
        }
    }
    return static_cast<int>(got);
}

void SeekVorbis(Decoder& decoder, uint64_t frame) {
    // The library refuses positions past the last frame; the end itself reads nothing.
    const ogg_int64_t total = ov_pcm_total(decoder.vorbis, -1);
    const auto wanted = static_cast<ogg_int64_t>(std::min<uint64_t>(frame, INT64_MAX));
    ov_pcm_seek(decoder.vorbis, total >= 0 ? std::min(wanted, total) : wanted);
}

void CloseVorbis(Decoder& decoder) {
    ov_clear(decoder.vorbis);
    delete decoder.vorbis;
    decoder.vorbis = nullptr;
}
