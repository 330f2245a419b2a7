#include "audio/music_playback.h"

#include <cctype>
#include <cstdio>

#include "audio/file_reading.h"
#include "files/input_file.h"

uint32_t musicStream = 0;
uint32_t musicModule = 0;
uint8_t MusicKind = MUSIC_NONE;

namespace {

constexpr uint32_t MUSIC_RATE = 44100;
constexpr uint32_t REQUIRED_VERSION = 0x0204;
constexpr size_t ERROR_TEXT_SIZE = 200;

// The audio layer gives codes only; for a file it could not open or read, the reason is
// found by trying the file once more.
std::string Reason(int code, const char* resource) {
    const std::string reason = AudioErrorText(code);
    if (code != AUDIO_ERROR_FILE_OPEN) {
        return reason;
    }
    const std::string why = MusicFileProblem(resource, MusicKind == MUSIC_MODULE);
    return why.empty() ? reason : reason + ": " + why;
}

void ReportAudioError(const AudioLayer& layer, const char* text, const char* resource) {
    const int code = AudioErrorGetCode(layer);
    char message[ERROR_TEXT_SIZE];
    std::snprintf(message, sizeof message, "%s\n(error code: %d)", text, code);
    std::printf("%s\n", message);
    std::fflush(stdout);
    std::fprintf(stderr, "voxelshow: %s: %s; the show goes on without sound\n", resource,
                 Reason(code, resource).c_str());
}

}  // namespace

uint8_t MusicKindForName(const std::string& name, uint8_t current) {
    const size_t dot = name.rfind('.');
    std::string extension = dot == std::string::npos ? name : name.substr(dot + 1);
    // In any letter case, as file managers and cameras write them (TUNE.MP3).
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (const char* module : {"mod", "s3m", "xm", "it"}) {
        if (extension == module) {
            return MUSIC_MODULE;
        }
    }
    for (const char* stream : {"mp3", "ogg"}) {
        if (extension == stream) {
            return MUSIC_STREAM;
        }
    }
    return current;
}

void InitAudio(AudioLayer& layer, void* window) {
    if ((AudioGetVersion() >> 16) != REQUIRED_VERSION) {
        std::printf("An incorrect version of the audio layer was loaded\n");
        std::fflush(stdout);
        return;
    }
    if (!AudioInit(layer, AUDIO_DEFAULT_DEVICE, MUSIC_RATE, 0, window)) {
        ReportAudioError(layer, "Can't initialize device", "audio device");
    }
}

void LoadMusic(AudioLayer& layer, std::string name) {
    MusicKind = MusicKindForName(name, MusicKind);
    if (MusicKind == MUSIC_MODULE) {
        musicModule = AudioMusicLoad(layer, name.c_str(), 0, 0, AUDIO_SAMPLE_LOOP | AUDIO_MUSIC_RAMPS, 0);
        if (musicModule == 0) {
            ReportAudioError(layer, "Can't load music", name.c_str());
        }
    } else if (MusicKind == MUSIC_STREAM) {
        musicStream = AudioStreamCreateFile(layer, name.c_str(), 0, 0, 0);
        if (musicStream == 0) {
            ReportAudioError(layer, "Can't open stream", name.c_str());
        }
    }
}

namespace {

// The music StartMusic plays: the module if one is loaded, otherwise the stream; 0 if none.
uint32_t PlayedMusic() {
    return musicModule != 0 ? musicModule : musicStream;
}

}  // namespace

void StartMusic(AudioLayer& layer) {
    if (PlayedMusic() != 0) {
        AudioChannelPlay(layer, PlayedMusic(), true);
    }
}

void StartMusicAt(AudioLayer& layer, uint32_t startMs) {
    if (startMs == 0) {
        StartMusic(layer);
    } else if (PlayedMusic() != 0) {
        AudioChannelSetPosition(layer, PlayedMusic(), startMs);
        AudioChannelPlay(layer, PlayedMusic(), false);
    }
}

void SeekMusic(AudioLayer& layer, uint32_t elapsedMs) {
    if (PlayedMusic() != 0) {
        AudioChannelSetPosition(layer, PlayedMusic(), elapsedMs);
        AudioChannelPlay(layer, PlayedMusic(), false);
    }
}

void PauseMusic(AudioLayer& layer, bool paused) {
    if (layer.device != nullptr) {
        paused ? AudioPause(layer) : AudioStart(layer);
    }
}

void ShutdownAudio(AudioLayer& layer) {
    if (musicStream != 0) {
        AudioChannelStop(layer, musicStream);
        AudioStreamFree(layer, musicStream);
    } else if (musicModule != 0) {
        AudioChannelStop(layer, musicModule);
        AudioMusicFree(layer, musicModule);
    }
    AudioFree(layer);
}
