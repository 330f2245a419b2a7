#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "capture/capture_settings.h"
#include "capture/music_source.h"

// The files a capture writes, frame by frame: a media file or a picture sequence. Every
// call may throw CaptureError with the reason (the caller names the file).
struct CaptureWriter {
    virtual ~CaptureWriter() = default;
    // Writes the next frame's picture from the show's 640 x 480 pixels.
    virtual void WritePicture(const uint32_t* pixels) = 0;
    // Writes the sound up to the end of the first `frames` frames.
    virtual void WriteSoundUntil(uint32_t frames) = 0;
    // Completes the files under their temporary names.
    virtual void Finish() = 0;
    // Renames the completed files to their names.
    virtual void Commit() = 0;
    // Removes whatever was written; also done by the destructor unless committed.
    virtual void Discard() = 0;
    // The bytes written so far.
    virtual int64_t BytesWritten() const = 0;
};

// Creates the writer for the settings' format, its temporaries made and its encoders open.
// `music` is the open music for the sound track, or nullptr for none.
std::unique_ptr<CaptureWriter> OpenCaptureWriter(const CaptureSettings& settings, MusicSource* music);
