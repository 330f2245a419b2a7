#pragma once
#include "app/capture_options.h"
#include "app/options.h"

// --capture: runs the show on the fixed-step clock without a display and writes the passes
// of the span, with the music, to the file the options name. Returns the exit status.
int CaptureShow(const Options& options);
