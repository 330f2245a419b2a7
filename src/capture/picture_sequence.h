#pragma once
#include <memory>

#include "capture/capture_writer.h"

// One RGB PNG per frame, named by the settings' frameName for its pass. Every frame is
// written under a temporary name; all of them are renamed once the last one is complete.
std::unique_ptr<CaptureWriter> OpenPictureSequence(const CaptureSettings& settings);
