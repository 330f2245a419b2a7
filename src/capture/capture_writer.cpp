#include "capture/capture_writer.h"

#include "capture/media_file.h"
#include "capture/picture_sequence.h"

std::unique_ptr<CaptureWriter> OpenCaptureWriter(const CaptureSettings& settings, MusicSource* music) {
    if (settings.format == CaptureFormat::PictureSequence) {
        return OpenPictureSequence(settings);
    }
    return OpenMediaFile(settings, music);
}
