#pragma once
#include <string>

#include "capture/capture_module.h"

// Opens the capture: on Linux the module beside the program, on Windows the capture linked
// into it. nullptr when it cannot, with `failure` naming the module's file and the reason.
const CaptureModule* LoadCaptureModule(std::string& failure);

// Whether this program writes the formats of the media libraries (video, WebP, FLAC): the
// Linux program does, the Windows program writes picture sequences and WAV only.
bool CaptureWritesMediaFiles();
