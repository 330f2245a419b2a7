#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/audio_layer.h"
#include "audio/output_device.h"

namespace {

constexpr int OUTPUT_CHANNELS = 2;
constexpr int BUFFER_FRAMES = 1024;
constexpr int BUFFER_COUNT = 4;  // queued with the sound card: about 93 ms at 44100 Hz

// A float sample as 16 bits: scaled by 32768, rounded to nearest and clipped, the conversion of
// FFmpeg's libswresample, so that the device plays the very samples of the Linux build's WAV
// capture of the same span (scaled by 32767, one in sixteen differed by one).
int16_t ToSample(float sample) {
    return static_cast<int16_t>(std::clamp<long>(std::lrint(sample * 32768.0f), -32768, 32767));
}

// WinMM's waveOut, fed 16-bit stereo by a thread of its own: each buffer the card has
// played is mixed again and queued, woken by the device's event.
struct WaveOutDevice : OutputDevice {
    HWAVEOUT output = nullptr;
    HANDLE done = nullptr;  // signalled by the device whenever it finishes a buffer
    MixFunction mix = nullptr;
    void* userdata = nullptr;
    std::mutex lock;
    bool paused = false;  // under `lock`
    std::atomic<bool> stopping{false};
    std::thread thread;
    WAVEHDR headers[BUFFER_COUNT]{};
    std::vector<int16_t> samples[BUFFER_COUNT];
    std::vector<float> mixed = std::vector<float>(BUFFER_FRAMES * OUTPUT_CHANNELS);

    void Fill(int index) {
        {
            std::lock_guard<std::mutex> guard(lock);
            if (paused) {
                std::fill(mixed.begin(), mixed.end(), 0.0f);
            } else {
                mix(userdata, mixed.data(), static_cast<int>(mixed.size()));
            }
        }
        for (size_t i = 0; i < mixed.size(); ++i) {
            samples[index][i] = ToSample(mixed[i]);
        }
        headers[index].dwFlags &= ~WHDR_DONE;
        waveOutWrite(output, &headers[index], sizeof(WAVEHDR));
    }

    void Run() {
        for (int i = 0; i < BUFFER_COUNT; ++i) {
            Fill(i);
        }
        while (!stopping) {
            WaitForSingleObject(done, INFINITE);
            for (int i = 0; i < BUFFER_COUNT && !stopping; ++i) {
                if ((headers[i].dwFlags & WHDR_DONE) != 0) {
                    Fill(i);
                }
            }
        }
    }

    int Open(int index, uint32_t frequency, MixFunction function, void* data, int& rate) override {
        mix = function;
        userdata = data;
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = OUTPUT_CHANNELS;
        format.nSamplesPerSec = frequency;
        format.wBitsPerSample = 16;
        format.nBlockAlign = OUTPUT_CHANNELS * 2;
        format.nAvgBytesPerSec = frequency * format.nBlockAlign;
        if (index != AUDIO_DEFAULT_DEVICE && static_cast<UINT>(index) > waveOutGetNumDevs()) {
            return AUDIO_ERROR_DEVICE;
        }
        done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        const UINT id = index == AUDIO_DEFAULT_DEVICE ? WAVE_MAPPER : static_cast<UINT>(index - 1);
        if (done == nullptr || waveOutOpen(&output, id, &format, reinterpret_cast<DWORD_PTR>(done), 0,
                                           CALLBACK_EVENT) != MMSYSERR_NOERROR) {
            if (done != nullptr) {
                CloseHandle(done);
                done = nullptr;
            }
            output = nullptr;
            return AUDIO_ERROR_DEVICE;
        }
        for (int i = 0; i < BUFFER_COUNT; ++i) {
            samples[i].assign(BUFFER_FRAMES * OUTPUT_CHANNELS, 0);
            headers[i].lpData = reinterpret_cast<LPSTR>(samples[i].data());
            headers[i].dwBufferLength = BUFFER_FRAMES * OUTPUT_CHANNELS * sizeof(int16_t);
            waveOutPrepareHeader(output, &headers[i], sizeof(WAVEHDR));
        }
        rate = static_cast<int>(frequency);
        thread = std::thread(&WaveOutDevice::Run, this);
        return AUDIO_OK;
    }
    void Lock() override { lock.lock(); }
    void Unlock() override { lock.unlock(); }
    void SetPaused(bool pause) override {
        std::lock_guard<std::mutex> guard(lock);
        paused = pause;
    }
    void Close() override {
        stopping = true;
        SetEvent(done);
        thread.join();
        waveOutReset(output);  // hands back every queued buffer
        for (auto& header : headers) {
            waveOutUnprepareHeader(output, &header, sizeof(WAVEHDR));
        }
        waveOutClose(output);
        CloseHandle(done);
        output = nullptr;
        done = nullptr;
    }
};

}  // namespace

std::unique_ptr<OutputDevice> MakeOutputDevice() {
    return std::make_unique<WaveOutDevice>();
}
