#include "capture/capture_format.h"

#include <algorithm>
#include <cctype>

#include "capture/picture_sequence_name.h"

namespace {

struct NamedFormat {
    const char* suffix;
    CaptureFormatInfo info;
};

constexpr NamedFormat FORMATS[] = {
    {".mp4", {CaptureFormat::Mp4, true, true, true, true}},
    {".mkv", {CaptureFormat::Mkv, true, true, false, true}},
    {".webm", {CaptureFormat::Webm, true, true, true, true}},
    {".webp", {CaptureFormat::Webp, true, false, false, true}},
    {".png", {CaptureFormat::PictureSequence, true, false, false, false}},
    {".bgra", {CaptureFormat::PictureSequence, true, false, false, false}},
    {".wav", {CaptureFormat::Wav, false, true, false, false}},
    {".flac", {CaptureFormat::Flac, false, true, false, true}},
};

bool EndsWithIgnoringCase(const std::string& text, const std::string& suffix) {
    if (text.size() < suffix.size()) {
        return false;
    }
    return std::equal(suffix.begin(), suffix.end(), text.end() - suffix.size(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

// A name of frames: a valid pattern with a pass number in the file's name and none in its folder.
bool IsSequenceName(const std::string& name) {
    const FrameNamePattern pattern = ReadFrameNamePattern(name);
    return pattern.error.empty() && pattern.numbers > 0 && !pattern.numberInFolder;
}

}  // namespace

bool CaptureFormatForName(const std::string& name, CaptureFormat& format) {
    for (const NamedFormat& named : FORMATS) {
        if (!EndsWithIgnoringCase(name, named.suffix)) {
            continue;
        }
        if (named.info.format == CaptureFormat::PictureSequence && !IsSequenceName(name)) {
            return false;
        }
        format = named.info.format;
        return true;
    }
    return false;
}

const CaptureFormatInfo& InfoOf(CaptureFormat format) {
    for (const NamedFormat& named : FORMATS) {
        if (named.info.format == format) {
            return named.info;
        }
    }
    return FORMATS[0].info;
}

std::string CaptureFormatNames(bool media) {
    std::string names;
    if (media) {
        names +=
            "  NAME.mp4     H.264 video with AAC sound, playable while it downloads\n"
            "  NAME.mkv     lossless video (FFV1) with FLAC sound\n"
            "  NAME.webm    VP9 video with Opus sound\n"
            "  NAME.webp    animated WebP picture, no sound\n";
    }
    names +=
        "  NAME%d.png   one PNG per frame, %d replaced by the pass number (%05d: zero-padded\n"
        "               to 5 digits, %% for a %), no sound\n"
        "  NAME%d.bgra  one raw picture per frame (bytes blue, green, red, 255), named likewise\n"
        "  NAME.wav     the sound alone, 16-bit PCM\n";
    if (media) {
        names += "  NAME.flac    the sound alone, FLAC\n";
    }
    return names;
}
