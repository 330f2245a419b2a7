#pragma once
#include <cstdint>

#include "capture/capture_settings.h"
#include "portability.h"

struct CaptureSession;

// The capture as the program reaches it: on Linux a module of its own, opened only when the
// program captures, because the FFmpeg libraries it links add a good part of a second's loading and tens
// of megabytes to every start of the program otherwise. The module and the program are built
// together, so the table passes the program's own types.
struct CaptureModule {
    // From here on SIGINT and SIGTERM stop the capture at its next step instead of the process.
    void (*catchInterruptions)();
    // Opens the music and the files and starts the encoder. After a failure, reported as a
    // capture's ends are, it gives nullptr and the exit status in `status`.
    CaptureSession* (*start)(const CaptureSettings& settings, int& status);
    // Hands over the next frame; false once the encoder has stopped: draw no more frames.
    bool (*submitFrame)(CaptureSession* session, const uint32_t* pixels);
    // Waits for the encoder, names the files, reports, frees the session; the exit status.
    int (*finish)(CaptureSession* session);
    // Stops the encoder, removes what was written and frees the session (the show failed).
    void (*discard)(CaptureSession* session);
};

// The module's file, beside the program, and the function in it that gives its table. The
// Windows program, which writes no media files and so links no media libraries, has the
// capture linked in and calls the function directly.
inline constexpr const char* CAPTURE_MODULE_FILE = "voxelshow-capture.so";
inline constexpr const char* CAPTURE_MODULE_ENTRY = "VoxelshowCaptureModule";
#define CAPTURE_MODULE_EXPORT MODULE_EXPORT
extern "C" const CaptureModule* VoxelshowCaptureModule();
