#include <libopenmpt/libopenmpt.h>

#include <vector>

#include "audio/audio_layer.h"
#include "audio/decoder_formats.h"
#include "audio/file_reading.h"

namespace {

// libopenmpt's default ramping when asked for ramps, none otherwise.
constexpr int32_t DEFAULT_RAMPING = -1;
constexpr int32_t NO_RAMPING = 0;

}  // namespace

int OpenModuleDecoder(Decoder& decoder, const char* path, int rate, bool loop, bool ramps) {
    std::vector<char> bytes;
    if (!ReadWholeFile(path, bytes)) {
        return AUDIO_ERROR_FILE_OPEN;
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

void RewindModule(Decoder& decoder) {
    openmpt_module_set_position_seconds(decoder.module, 0.0);
}

void CloseModule(Decoder& decoder) {
    openmpt_module_destroy(decoder.module);
    decoder.module = nullptr;
}
