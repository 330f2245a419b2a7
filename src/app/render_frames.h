#pragma once
#include "app/options.h"

// --render-frame: builds the show without a display and, for each asked-for pass of the
// fixed-step clock, brings it straight to that pass and writes the frame as it stands after
// the pass's wave filter. Returns the exit status.
int RenderFrames(const Options& options);
