#pragma once
#include <cstdint>
#include <string>

#include "audio/audio_layer.h"

// The show's one music track: the output device, the file opened as a module or a stream
// by its extension, playback and release. Every failure is written to standard output as
// "<text>\n(error code: <code>)" (and, naming the file and the reason, to standard error);
// the show then runs on without sound.

enum MusicKindValue : uint8_t { MUSIC_NONE = 0, MUSIC_MODULE = 1, MUSIC_STREAM = 2 };

extern uint32_t musicStream;  // open stream, 0 = none
extern uint32_t musicModule;  // loaded module, 0 = none
extern uint8_t MusicKind;     // kind chosen by the last recognised extension; persists between calls

// Opens the default output device at 44100 Hz.
void InitAudio(AudioLayer& layer, void* window);
// Loads `name` as a module (extensions mod, s3m, xm, it) or a stream (mp3, ogg); exact,
// case-sensitive extensions after the last "." (the whole name if there is none).
void LoadMusic(AudioLayer& layer, std::string name);
// Plays the module if one is loaded, otherwise the stream if one is open, from the start.
void StartMusic(AudioLayer& layer);
// As StartMusic, `startMs` milliseconds into the music (0: the very call StartMusic makes).
void StartMusicAt(AudioLayer& layer, uint32_t startMs);
// Moves the music to `elapsedMs` milliseconds into it, playing again if it had run out.
void SeekMusic(AudioLayer& layer, uint32_t elapsedMs);
// Holds or releases the whole output (a paused device plays silence).
void PauseMusic(AudioLayer& layer, bool paused);
// Stops and frees whichever music is open, then closes the device.
void ShutdownAudio(AudioLayer& layer);

// The extension rule alone: the kind `name` selects, or `current` if its extension is not listed.
// Extensions are compared in any letter case.
uint8_t MusicKindForName(const std::string& name, uint8_t current);
