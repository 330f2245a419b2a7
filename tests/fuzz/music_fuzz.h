#pragma once
#include "audio/audio_channel.h"

// Plays an opened decoder through a channel's converter as the audio thread would, for a
// second of output (a looping module never ends), then again after a seek into the music
// and after one back to its start.
void PlayDecoder(Decoder& decoder);
