#pragma once
#include "app/options.h"
#include "capture/capture_settings.h"

// --capture: runs the show on the fixed-step clock without a display and writes the passes
// of the span, with the music, to the file the options name. Returns the exit status.
int CaptureShow(const Options& options);

// What the capture writes, from the options and the data directory the run uses.
CaptureSettings CaptureSettingsFor(const Options& options, const std::string& dataDir);
