#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "capture/capture_error.h"
#include "capture/capture_progress.h"
#include "capture/capture_settings.h"
#include "capture/capture_writer.h"
#include "capture/frame_queue.h"
#include "capture/music_source.h"

// A capture under way: the drawing thread hands frames over with SubmitFrame while an
// encoder thread writes them, with the sound, under temporary names. The files get their
// names only when the whole span is written.
struct CaptureSession {
    CaptureSettings settings;
    MusicSource music;
    bool musicOpen = false;
    std::unique_ptr<CaptureWriter> writer;
    FrameQueue queue;
    std::thread encoder;
    CaptureProgress progress;
    std::string error;  // set by the encoder thread when it fails
    std::atomic<uint32_t> framesDone{0};

    CaptureSession() = default;
    CaptureSession(const CaptureSession&) = delete;
    CaptureSession& operator=(const CaptureSession&) = delete;
    ~CaptureSession();
};

// Opens the music and the files, so that every failure they can give is reported before a
// frame is drawn, and starts the encoder thread. Throws CaptureError.
void StartCapture(CaptureSession& session, const CaptureSettings& settings);
// Hands the next frame's 640 x 480 pixels to the encoder, waiting while it is behind.
// False once the encoder has stopped (it failed, or a signal came): draw no more frames.
bool SubmitFrame(CaptureSession& session, const uint32_t* pixels);
// Waits for the encoder and gives the files their names. Prints the summary line, or the
// line naming the file and the reason, and returns the exit status: 0, 1 after a failure,
// 128 + the signal's number after SIGINT or SIGTERM.
int FinishCapture(CaptureSession& session);
// Reports a StartCapture that failed (or was interrupted while it opened the files) as
// FinishCapture reports its ends, and returns the exit status.
int ReportFailedStart(CaptureSession& session, const CaptureError& error);
// Stops the encoder and removes what was written (the show failed).
void AbortCapture(CaptureSession& session);
