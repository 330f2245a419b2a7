#pragma once
#include "app/options.h"

// --render-frame: runs passes 0 to the last one asked for with the fixed-step clock and no
// display, and writes each asked-for pass's frame as it stands after its wave filter.
// Returns the exit status.
int RenderFrames(const Options& options);
