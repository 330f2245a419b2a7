#include "capture/capture_writer.h"

#include "capture/media_file.h"
#include "capture/picture_sequence.h"
#include "capture/wav_file.h"

std::unique_ptr<CaptureWriter> OpenCaptureWriter(const CaptureSettings& settings, MusicSource* music) {
    switch (settings.format) {
        case CaptureFormat::PictureSequence:
            return OpenPictureSequence(settings);
        case CaptureFormat::Wav:
            return OpenWavFile(settings, music);
        default:
            return OpenMediaFile(settings, music);
    }
}
