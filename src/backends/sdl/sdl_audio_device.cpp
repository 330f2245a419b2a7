#include <SDL.h>

#include "audio/audio_layer.h"
#include "audio/output_device.h"

namespace {

constexpr int OUTPUT_CHANNELS = 2;
constexpr Uint16 DEVICE_BUFFER_FRAMES = 1024;

// SDL's audio device, asked for stereo float frames; SDL converts them for the hardware.
struct SdlOutputDevice : OutputDevice {
    SDL_AudioDeviceID id = 0;
    MixFunction mix = nullptr;
    void* userdata = nullptr;

    static void Callback(void* self, Uint8* stream, int length) {
        auto& device = *static_cast<SdlOutputDevice*>(self);
        device.mix(device.userdata, reinterpret_cast<float*>(stream),
                   length / static_cast<int>(sizeof(float)));
    }

    int Open(int index, uint32_t frequency, MixFunction function, void* data, int& rate) override {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            return AUDIO_ERROR_DRIVER;
        }
        mix = function;
        userdata = data;
        SDL_AudioSpec wanted{};
        wanted.freq = static_cast<int>(frequency);
        wanted.format = AUDIO_F32SYS;
        wanted.channels = OUTPUT_CHANNELS;
        wanted.samples = DEVICE_BUFFER_FRAMES;
        wanted.callback = Callback;
        wanted.userdata = this;
        const char* name = index == AUDIO_DEFAULT_DEVICE ? nullptr : SDL_GetAudioDeviceName(index - 1, 0);
        SDL_AudioSpec obtained{};
        // No format changes allowed: SDL converts our stereo float frames for the hardware.
        if (index == AUDIO_DEFAULT_DEVICE || name != nullptr) {
            id = SDL_OpenAudioDevice(name, 0, &wanted, &obtained, 0);
        }
        if (id == 0) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return AUDIO_ERROR_DEVICE;
        }
        rate = obtained.freq;
        SDL_PauseAudioDevice(id, 0);
        return AUDIO_OK;
    }
    void Lock() override { SDL_LockAudioDevice(id); }
    void Unlock() override { SDL_UnlockAudioDevice(id); }
    void SetPaused(bool paused) override { SDL_PauseAudioDevice(id, paused ? 1 : 0); }
    void Close() override {
        SDL_CloseAudioDevice(id);  // waits for the audio thread to finish
        id = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
};

}  // namespace

std::unique_ptr<OutputDevice> MakeOutputDevice() {
    return std::make_unique<SdlOutputDevice>();
}
