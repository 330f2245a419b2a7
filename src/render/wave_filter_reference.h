#pragma once
#include "render/wave_filter.h"

// The wave filter written step by step, pixel by pixel: the oracle the fast ApplyWave is
// held to, byte for byte and draw for draw.
void ApplyWaveReference(WaveFilter& wave);
