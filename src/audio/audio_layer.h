#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/audio_channel.h"
#include "audio/output_device.h"

// The show's audio layer: one output device, music loaded from files as a tracker module
// (mod, s3m, xm, it and the other formats the module decoder knows) or as a stream (MP3
// or Ogg Vorbis), played on the output device's thread. Every call comes from the main thread; a
// call that fails returns 0 or false and leaves its reason in AudioErrorGetCode.

// Version of this call contract: major in the top byte, minor in the next.
constexpr uint32_t AUDIO_VERSION = 0x02040000;

// Load flags.
constexpr uint32_t AUDIO_SAMPLE_LOOP = 0x4;    // a module starts again from the top when it ends
constexpr uint32_t AUDIO_MUSIC_RAMPS = 0x400;  // a module ramps volume changes to avoid clicks

// Error codes: stable values, returned by AudioErrorGetCode for the last call that failed.
enum AudioError : int {
    AUDIO_OK = 0,
    AUDIO_ERROR_DRIVER = 1,       // the audio system could not be started (no usable driver)
    AUDIO_ERROR_DEVICE = 2,       // the output device could not be opened, or no such device
    AUDIO_ERROR_ALREADY = 3,      // AudioInit was called while the device is open
    AUDIO_ERROR_INIT = 4,         // the device is not open (AudioInit missing or failed)
    AUDIO_ERROR_FILE_OPEN = 5,    // the file could not be opened or read
    AUDIO_ERROR_FILE_FORMAT = 6,  // the file's content is not a format the loader can decode
    AUDIO_ERROR_HANDLE = 7,       // the handle is not a loaded module or stream of that kind
    AUDIO_ERROR_PARAMETER = 8,    // an argument this layer does not support (offset, length)
    AUDIO_ERROR_MEMORY = 9,       // a buffer or converter could not be allocated
};

// Default output device for AudioInit.
constexpr int AUDIO_DEFAULT_DEVICE = -1;

struct AudioLayer {
    std::unique_ptr<OutputDevice> device;  // null while closed
    int outputRate = 0;                    // frames per second of the open device
    int lastError = AUDIO_OK;
    uint32_t nextHandle = 1;
    // Read by the audio thread while the device is open; changed only under the device lock.
    std::vector<std::unique_ptr<AudioChannel>> channels;
};

uint32_t AudioGetVersion();
// Opens output device `device` (-1: the default; 1, 2, ...: the n-th device) at `frequency`
// frames per second. `flags` must be 0; the window is accepted for the contract and unused.
bool AudioInit(AudioLayer& layer, int device, uint32_t frequency, uint32_t flags, void* window);
// Loads a whole module file; `offset` and `length` must be 0, `frequency` 0 means the device's.
uint32_t AudioMusicLoad(AudioLayer& layer, const char* path, uint64_t offset, uint32_t length, uint32_t flags,
                        uint32_t frequency);
// Opens an MP3 or Ogg Vorbis file as a stream that plays once; `offset` and `length` must be 0.
uint32_t AudioStreamCreateFile(AudioLayer& layer, const char* path, uint64_t offset, uint64_t length,
                               uint32_t flags);
int AudioErrorGetCode(const AudioLayer& layer);
// Starts playback; with `restart` from the beginning. Returns at once.
bool AudioChannelPlay(AudioLayer& layer, uint32_t handle, bool restart);
bool AudioChannelStop(AudioLayer& layer, uint32_t handle);
// Moves the module or stream to `milliseconds` into it, sample-exactly (past the end it has
// nothing left to play); what was decoded ahead is dropped, so the device plays the new
// position within one buffer. Playing or not, it stays so.
bool AudioChannelSetPosition(AudioLayer& layer, uint32_t handle, uint64_t milliseconds);
// Holds the whole output, every channel where it is, until AudioStart; the device plays silence.
bool AudioPause(AudioLayer& layer);
bool AudioStart(AudioLayer& layer);
bool AudioStreamFree(AudioLayer& layer, uint32_t handle);
bool AudioMusicFree(AudioLayer& layer, uint32_t handle);
// Closes the device and frees every module and stream still loaded.
bool AudioFree(AudioLayer& layer);
// A short English description of an error code, for messages.
const char* AudioErrorText(int code);
