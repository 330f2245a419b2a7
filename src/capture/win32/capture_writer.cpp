#include "capture/capture_writer.h"

#include "capture/capture_error.h"
#include "capture/picture_sequence.h"
#include "capture/wav_file.h"

// The Windows program has no media libraries: picture sequences and WAV only (its options
// refuse the other names before a capture starts).
std::unique_ptr<CaptureWriter> OpenCaptureWriter(const CaptureSettings& settings, MusicSource* music) {
    switch (settings.format) {
        case CaptureFormat::PictureSequence:
            return OpenPictureSequence(settings);
        case CaptureFormat::Wav:
            return OpenWavFile(settings, music);
        default:
            throw CaptureError(settings.path + ": this program writes picture sequences and WAV files only");
    }
}
