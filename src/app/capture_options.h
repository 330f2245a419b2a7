#pragma once
#include <string>
#include <vector>

#include "app/options.h"
#include "capture/capture_settings.h"

// The options of --capture: the target, the span (--from, --to) and the size.
bool IsCaptureOption(const std::string& name);
// Sets a capture option from its value; returns an error text or "".
std::string ParseCaptureValue(const std::string& name, const std::string& value, Options& options);
// Checks the capture options against each other, the target's format and the show's length.
std::string CheckCaptureOptions(const std::vector<std::string>& args, const Options& options);

// The largest frame a capture writes (8K UHD); encoders refuse or choke beyond it.
constexpr int MAX_CAPTURE_WIDTH = 7680;
constexpr int MAX_CAPTURE_HEIGHT = 4320;

// What the capture writes, from the options and the data directory the run uses.
CaptureSettings CaptureSettingsFor(const Options& options, const std::string& dataDir);
