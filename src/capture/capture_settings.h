#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "capture/capture_format.h"
#include "capture/capture_span.h"

// Everything a capture needs from the command line and the driver.
struct CaptureSettings {
    std::string path;
    CaptureFormat format = CaptureFormat::Mp4;
    int width = 640;
    int height = 480;
    CaptureSpan span;
    std::string musicPath;  // empty: no sound track
    bool replace = false;   // -y: the files may replace files at their names
    // The file name of a picture sequence's frame for a pass, as the driver names frames.
    std::function<std::string(uint32_t pass)> frameName;
};
