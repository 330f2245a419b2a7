#pragma once
#include "anim/track.h"
#include "render/landscape.h"
#include "render/layer.h"
#include "render/wave_filter.h"

// Registers the show's 187 tracks, in order, on the fields of the driver's objects. The
// layer list must already hold its twelve layers.
void RegisterSceneScript(VariableList& list, Landscape& landscape, WaveFilter& wave, LayerList& layers);
