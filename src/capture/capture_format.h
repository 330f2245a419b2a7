#pragma once
#include <string>

// The kinds of file a capture writes, chosen by the target's name.
enum class CaptureFormat { Mp4, Mkv, Webm, Webp, PictureSequence, Wav, Flac };

struct CaptureFormatInfo {
    CaptureFormat format;
    bool picture;   // has frames
    bool sound;     // has a sound track (unless muted)
    bool evenSize;  // stored in 4:2:0, so width and height must be even
    bool media;     // written through the media libraries (Linux only)
};

// Picks the format from the end of the name (letter case ignored); a picture sequence is a
// name ending ".png" or ".bgra" that is a valid FrameNamePattern with the pass number in the file's name
// and not in its folder. False for any other name.
bool CaptureFormatForName(const std::string& name, CaptureFormat& format);

const CaptureFormatInfo& InfoOf(CaptureFormat format);

// The names the formats take, one per line, for usage errors; `media`: also those written
// through the media libraries.
std::string CaptureFormatNames(bool media);
