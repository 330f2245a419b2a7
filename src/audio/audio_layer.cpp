#include "audio/audio_layer.h"

#include <algorithm>
#include <cstring>

namespace {

bool Fail(AudioLayer& layer, int code) {
    layer.lastError = code;
    return false;
}

bool Succeed(AudioLayer& layer) {
    layer.lastError = AUDIO_OK;
    return true;
}

// Runs on the device's thread with the device locked: the sum of every playing channel.
void MixPlayingChannels(void* userdata, float* output, int sampleCount) {
    auto& layer = *static_cast<AudioLayer*>(userdata);
    std::fill(output, output + sampleCount, 0.0f);
    for (auto& channel : layer.channels) {
        if (channel->playing) {
            MixChannel(*channel, output, sampleCount);
        }
    }
    for (int i = 0; i < sampleCount; ++i) {
        output[i] = std::clamp(output[i], -1.0f, 1.0f);
    }
}

AudioChannel* FindChannel(AudioLayer& layer, uint32_t handle) {
    for (auto& channel : layer.channels) {
        if (channel->handle == handle) {
            return channel.get();
        }
    }
    return nullptr;
}

// Locks the audio thread out while the channel list or a channel's state changes.
struct DeviceLock {
    explicit DeviceLock(OutputDevice* output) : device(output) { device->Lock(); }
    ~DeviceLock() { device->Unlock(); }
    OutputDevice* device;
};

uint32_t AddChannel(AudioLayer& layer, std::unique_ptr<AudioChannel> channel) {
    if (!PrepareChannel(*channel, layer.outputRate)) {
        ReleaseChannel(*channel);
        Fail(layer, AUDIO_ERROR_MEMORY);
        return 0;
    }
    channel->handle = layer.nextHandle++;
    const uint32_t handle = channel->handle;
    DeviceLock lock(layer.device.get());
    layer.channels.push_back(std::move(channel));
    Succeed(layer);
    return handle;
}

bool FreeChannel(AudioLayer& layer, uint32_t handle, bool isModule) {
    AudioChannel* channel = FindChannel(layer, handle);
    if (channel == nullptr || channel->isModule != isModule) {
        return Fail(layer, AUDIO_ERROR_HANDLE);
    }
    std::unique_ptr<AudioChannel> removed;
    {
        DeviceLock lock(layer.device.get());
        auto found = std::find_if(layer.channels.begin(), layer.channels.end(),
                                  [&](const auto& entry) { return entry.get() == channel; });
        removed = std::move(*found);
        layer.channels.erase(found);
    }
    ReleaseChannel(*removed);
    return Succeed(layer);
}

// Loading needs an open device, and only whole files (offset and length 0) are supported.
bool CanLoadWholeFile(AudioLayer& layer, uint64_t offset, uint64_t length) {
    if (layer.device == nullptr) {
        return Fail(layer, AUDIO_ERROR_INIT);
    }
    if (offset != 0 || length != 0) {
        return Fail(layer, AUDIO_ERROR_PARAMETER);
    }
    return true;
}

}  // namespace

uint32_t AudioGetVersion() {
    return AUDIO_VERSION;
}

bool AudioInit(AudioLayer& layer, int device, uint32_t frequency, uint32_t flags, void*) {
    if (layer.device != nullptr) {
        return Fail(layer, AUDIO_ERROR_ALREADY);
    }
    if (flags != 0 || frequency == 0 || (device != AUDIO_DEFAULT_DEVICE && device < 1)) {
        return Fail(layer, AUDIO_ERROR_PARAMETER);
    }
    std::unique_ptr<OutputDevice> output = MakeOutputDevice();
    const int opened = output->Open(device, frequency, MixPlayingChannels, &layer, layer.outputRate);
    if (opened != AUDIO_OK) {
        return Fail(layer, opened);
    }
    layer.device = std::move(output);  // plays silence until a channel plays
    return Succeed(layer);
}

uint32_t AudioMusicLoad(AudioLayer& layer, const char* path, uint64_t offset, uint32_t length, uint32_t flags,
                        uint32_t frequency) {
    if (!CanLoadWholeFile(layer, offset, length)) {
        return 0;
    }
    auto channel = std::make_unique<AudioChannel>();
    channel->isModule = true;
    const int rate = frequency == 0 ? layer.outputRate : static_cast<int>(frequency);
    const int opened = OpenModuleDecoder(channel->decoder, path, rate, (flags & AUDIO_SAMPLE_LOOP) != 0,
                                         (flags & AUDIO_MUSIC_RAMPS) != 0);
    if (opened != AUDIO_OK) {
        Fail(layer, opened);
        return 0;
    }
    return AddChannel(layer, std::move(channel));
}

uint32_t AudioStreamCreateFile(AudioLayer& layer, const char* path, uint64_t offset, uint64_t length,
                               uint32_t) {
    if (!CanLoadWholeFile(layer, offset, length)) {
        return 0;
    }
    auto channel = std::make_unique<AudioChannel>();
    const int opened = OpenStreamDecoder(channel->decoder, path);
    if (opened != AUDIO_OK) {
        Fail(layer, opened);
        return 0;
    }
    return AddChannel(layer, std::move(channel));
}

int AudioErrorGetCode(const AudioLayer& layer) {
    return layer.lastError;
}

bool AudioChannelPlay(AudioLayer& layer, uint32_t handle, bool restart) {
    AudioChannel* channel = FindChannel(layer, handle);
    if (channel == nullptr) {
        return Fail(layer, AUDIO_ERROR_HANDLE);
    }
    DeviceLock lock(layer.device.get());
    if (restart || channel->decoderEnded) {
        SeekChannel(*channel, 0);
    }
    channel->playing = true;
    return Succeed(layer);
}

bool AudioChannelStop(AudioLayer& layer, uint32_t handle) {
    AudioChannel* channel = FindChannel(layer, handle);
    if (channel == nullptr) {
        return Fail(layer, AUDIO_ERROR_HANDLE);
    }
    DeviceLock lock(layer.device.get());
    channel->playing = false;
    return Succeed(layer);
}

bool AudioChannelSetPosition(AudioLayer& layer, uint32_t handle, uint64_t milliseconds) {
    AudioChannel* channel = FindChannel(layer, handle);
    if (channel == nullptr) {
        return Fail(layer, AUDIO_ERROR_HANDLE);
    }
    DeviceLock lock(layer.device.get());
    SeekChannel(*channel, milliseconds);
    return Succeed(layer);
}

bool AudioPause(AudioLayer& layer) {
    if (layer.device == nullptr) {
        return Fail(layer, AUDIO_ERROR_INIT);
    }
    layer.device->SetPaused(true);
    return Succeed(layer);
}

bool AudioStart(AudioLayer& layer) {
    if (layer.device == nullptr) {
        return Fail(layer, AUDIO_ERROR_INIT);
    }
    layer.device->SetPaused(false);
    return Succeed(layer);
}

bool AudioStreamFree(AudioLayer& layer, uint32_t handle) {
    return FreeChannel(layer, handle, false);
}

bool AudioMusicFree(AudioLayer& layer, uint32_t handle) {
    return FreeChannel(layer, handle, true);
}

bool AudioFree(AudioLayer& layer) {
    if (layer.device == nullptr) {
        return Fail(layer, AUDIO_ERROR_INIT);
    }
    layer.device->Close();  // waits for the device's thread to leave the mix
    layer.device.reset();
    for (auto& channel : layer.channels) {
        ReleaseChannel(*channel);
    }
    layer.channels.clear();
    return Succeed(layer);
}

const char* AudioErrorText(int code) {
    switch (code) {
        case AUDIO_OK:
            return "no error";
        case AUDIO_ERROR_DRIVER:
            return "no audio driver could be started";
        case AUDIO_ERROR_DEVICE:
            return "the output device could not be opened";
        case AUDIO_ERROR_ALREADY:
            return "the output device is already open";
        case AUDIO_ERROR_INIT:
            return "the output device is not open";
        case AUDIO_ERROR_FILE_OPEN:
            return "the file could not be opened";
        case AUDIO_ERROR_FILE_FORMAT:
            return "the file is not in a format that can be decoded";
        case AUDIO_ERROR_HANDLE:
            return "no such module or stream";
        case AUDIO_ERROR_PARAMETER:
            return "unsupported argument";
        case AUDIO_ERROR_MEMORY:
            return "out of memory";
    }
    return "unknown error";
}
