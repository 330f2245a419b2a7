#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "audio/audio_layer.h"
#include "audio/decoder_formats.h"
#include "audio/file_reading.h"

namespace {

// libopenmpt's default ramping when asked for ramps, none otherwise.
constexpr int32_t DEFAULT_RAMPING = -1;
constexpr int32_t NO_RAMPING = 0;
constexpr uint64_t SKIP_FRAMES = 4096;  // frames rendered and dropped at a time by a seek

}  // namespace

int OpenModuleDecoder(Decoder& decoder, const char* path, int rate, bool loop, bool ramps) {
    std::vector<char> bytes;
    try {
        if (!ReadWholeFile(path, bytes)) {
            return AUDIO_ERROR_FILE_OPEN;
        }
    } catch (const std::bad_alloc&) {
        return AUDIO_ERROR_MEMORY;
    }
    int error = 0;
    openmpt_module* module =
        openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr,
                                           openmpt_error_func_ignore, nullptr, &error, nullptr, nullptr);
    if (module == nullptr) {
        return error == OPENMPT_ERROR_OUT_OF_MEMORY ? AUDIO_ERROR_MEMORY : AUDIO_ERROR_FILE_FORMAT;
    }
    openmpt_module_set_repeat_count(module, loop ? -1 : 0);
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH,
                                    ramps ? DEFAULT_RAMPING : NO_RAMPING);
    decoder.kind = DecoderKind::MODULE;
    decoder.module = module;
    decoder.rate = rate;
    decoder.channels = 2;
    return AUDIO_OK;
}

int ReadModuleFrames(Decoder& decoder, float* frames, int maxFrames) {
    return static_cast<int>(
        openmpt_module_read_interleaved_float_stereo(decoder.module, decoder.rate, maxFrames, frames));
}

// The library's own position setting is approximate, so a seek renders from the start and drops
// what it rendered up to the frame.
void SeekModule(Decoder& decoder, uint64_t frame) {
    openmpt_module_set_position_seconds(decoder.module, 0.0);
    const bool loops = openmpt_module_get_repeat_count(decoder.module) < 0;
    const auto length = static_cast<uint64_t>(
        std::llround(openmpt_module_get_duration_seconds(decoder.module) * decoder.rate));
    uint64_t left = loops && length > 0 ? frame % length : frame;
    float dropped[2 * SKIP_FRAMES];
    while (left > 0) {
        const size_t wanted = static_cast<size_t>(std::min<uint64_t>(left, SKIP_FRAMES));
        const size_t got =
            openmpt_module_read_interleaved_float_stereo(decoder.module, decoder.rate, wanted, dropped);
        if (got == 0) {
            return;
        }
        left -= got;
    }
}

void CloseModule(Decoder& decoder) {
    openmpt_module_destroy(decoder.module);
    decoder.module = nullptr;
}
