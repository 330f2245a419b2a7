#pragma once
#include <memory>

#include "capture/capture_writer.h"

// One picture per frame, named by the settings' frameName for its pass: an RGB PNG for a name
// ending ".png", the raw pixels (blue, green, red, 255) for ".bgra", as --render-frame writes
// them. Every frame is written under a temporary name; all of them are renamed once the last
// one is complete.
std::unique_ptr<CaptureWriter> OpenPictureSequence(const CaptureSettings& settings);
