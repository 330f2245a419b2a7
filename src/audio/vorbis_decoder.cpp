#define OV_EXCLUDE_STATIC_CALLBACKS  // the file is read through the callbacks below
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/audio_layer.h"
#include "audio/decoder_formats.h"
#include "files/input_file.h"
#include "portability.h"

namespace {

size_t ReadStream(void* bytes, size_t size, size_t count, void* stream) {
    return std::fread(bytes, size, count, static_cast<std::FILE*>(stream));
}

int SeekStream(void* stream, ogg_int64_t offset, int origin) {
    return SeekFile(static_cast<std::FILE*>(stream), offset, origin);
}

int CloseStream(void* stream) {
    return std::fclose(static_cast<std::FILE*>(stream));
}

long TellStream(void* stream) {
    return static_cast<long>(FilePosition(static_cast<std::FILE*>(stream)));
}

constexpr ov_callbacks STREAM_CALLBACKS = {ReadStream, SeekStream, CloseStream, TellStream};

bool IsPlayable(const vorbis_info* info) {
    return info != nullptr && info->channels >= 1 && info->channels <= MAX_DECODER_CHANNELS &&
           info->rate >= MIN_DECODER_RATE && info->rate <= MAX_DECODER_RATE;
}

}  // namespace

int OpenVorbisDecoder(Decoder& decoder, const char* path) {
    // Opened as every data file is (a regular file only, by a name of any letters), then
    // handed over: the library's callbacks read it and its clearing closes it.
    std::string reason;
    std::FILE* stream = OpenInputFile(path, reason);
    if (stream == nullptr) {
        return AUDIO_ERROR_FILE_OPEN;
    }
    auto file = std::make_unique<OggVorbis_File>();
    if (ov_open_callbacks(stream, file.get(), nullptr, 0, STREAM_CALLBACKS) < 0) {
        std::fclose(stream);  // not taken when the open fails
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
