#pragma once
#include <string>

#include "capture/capture_module.h"

// Opens the capture module beside the program. nullptr when it cannot, with `failure` naming
// the module's file and the reason.
const CaptureModule* LoadCaptureModule(std::string& failure);
