#pragma once
#include <cstdint>
#include <memory>

// Fills `sampleCount` stereo interleaved float samples; called on the device's own thread.
using MixFunction = void (*)(void* userdata, float* output, int sampleCount);

// The sound card behind the audio layer: one stereo float output that asks for its samples
// from a thread of its own. Each platform's backend provides it (MakeOutputDevice).
struct OutputDevice {
    virtual ~OutputDevice() = default;
    // Opens output `index` (AUDIO_DEFAULT_DEVICE, or 1, 2, ... the n-th) at `frequency` frames a
    // second and starts asking `mix` for samples; sets `rate` to the rate obtained. Returns
    // AUDIO_OK or the audio layer's error code.
    virtual int Open(int index, uint32_t frequency, MixFunction mix, void* userdata, int& rate) = 0;
    // Keeps the device's thread out of `mix` until Unlock.
    virtual void Lock() = 0;
    virtual void Unlock() = 0;
    // A paused device plays silence without calling `mix`.
    virtual void SetPaused(bool paused) = 0;
    // Stops the device and waits for its thread to leave `mix`.
    virtual void Close() = 0;
};

// The output device of the platform the program is built for.
std::unique_ptr<OutputDevice> MakeOutputDevice();
