#include "app/capture_options.h"

#include <algorithm>
#include <cctype>

#include "app/capture_loader.h"
#include "app/seek.h"
#include "app/show.h"
#include "capture/capture_format.h"
#include "capture/capture_span.h"
#include "capture/picture_sequence_name.h"
#include "files/picture_file.h"

namespace {

bool ParseSize(const std::string& text, int& width, int& height) {
    const size_t x = text.find('x');
    uint64_t w = 0;
    uint64_t h = 0;
    const std::string_view view = text;
    if (x == std::string::npos || !ParseWhole(view.substr(0, x), w) || !ParseWhole(view.substr(x + 1), h)) {
        return false;
    }
    width = static_cast<int>(std::min<uint64_t>(w, MAX_CAPTURE_WIDTH + 1));
    height = static_cast<int>(std::min<uint64_t>(h, MAX_CAPTURE_HEIGHT + 1));
    return true;
}

bool Has(const std::vector<std::string>& args, const char* name) {
    return std::find(args.begin(), args.end(), name) != args.end();
}

std::string SecondsText(uint64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(ms) / 1000.0);
    return text;
}

std::string CheckSize(const Options& options, const CaptureFormatInfo& info) {
    const int width = options.captureWidth;
    const int height = options.captureHeight;
    if (width < 2 || height < 2 || width > MAX_CAPTURE_WIDTH || height > MAX_CAPTURE_HEIGHT) {
        return "--size takes a width from 2 to 7680 and a height from 2 to 4320";
    }
    if (info.evenSize && (width % 2 != 0 || height % 2 != 0)) {
        return "--size must be even in both directions for " + options.capturePath + " (stored in 4:2:0)";
    }
    return "";
}

std::string CheckSpan(const Options& options) {
    const uint32_t lastPass = LastPassOfShow(options.fps);
    // The show's length as a file: up to the end of its last frame, rounded up to the millisecond.
    const uint64_t endMs = ((uint64_t{lastPass} + 1) * 1000 + options.fps - 1) / options.fps;
    // The same as the summary line prints it, in hundredths of a second rounded up: a --to up to
    // there ends with the last pass, so that the end read off a summary is taken as given.
    const uint64_t printedEndMs = ((uint64_t{lastPass} + 1) * 100 + options.fps - 1) / options.fps * 10;
    if (options.hasTo && options.toMs <= options.fromMs) {
        return "--from must be before --to";
    }
    if (options.hasTo && options.toMs > printedEndMs) {
        return "--to " + SecondsText(options.toMs) + " is past the end of the show (" + SecondsText(endMs) +
               " s at " + std::to_string(options.fps) + " fps)";
    }
    const uint64_t toMs = options.hasTo ? options.toMs : endMs;
    if (SpanBetween(options.fromMs, toMs, lastPass, options.fps).frameCount == 0) {
        return "no pass of the show lies between --from " + SecondsText(options.fromMs) + " and " +
               SecondsText(toMs) + " at " + std::to_string(options.fps) + " fps";
    }
    return "";
}

// A picture sequence's name: "" unless its "%" forms are wrong or the pass number is in its
// folder, where frames would go to folders that may not all exist.
std::string CheckSequenceName(const std::string& path) {
    if (PictureFileKindOf(path) == PictureFileKind::None) {
        return "";
    }
    const FrameNamePattern pattern = ReadFrameNamePattern(path);
    if (!pattern.error.empty()) {
        return "--capture: " + pattern.error;
    }
    if (pattern.numberInFolder) {
        return "--capture: the pass number goes in the file's name, not in its folder: '" + path + "'";
    }
    return "";
}

}  // namespace

bool IsCaptureOption(const std::string& name) {
    return name == "--capture" || name == "--from" || name == "--to" || name == "--size";
}

std::string ParseCaptureValue(const std::string& name, const std::string& value, Options& options) {
    if (name == "--capture") {
        if (value.empty()) {
            return "--capture needs a name";
        }
        options.capturePath = value;
        options.mode = RunMode::Capture;
    } else if (name == "--from" || name == "--to") {
        if (!ParseTime(value, name == "--from" ? options.fromMs : options.toMs)) {
            return name + " takes a time from 0 in seconds (17.5) or minutes and seconds (1:23.5), not '" +
                   value + "'";
        }
        options.hasTo = options.hasTo || name == "--to";
    } else if (name == "--size") {
        if (!ParseSize(value, options.captureWidth, options.captureHeight)) {
            return "--size takes WIDTHxHEIGHT, for example 1920x1080, not '" + value + "'";
        }
    }
    return "";
}

std::string CheckCaptureOptions(const std::vector<std::string>& args, const Options& options) {
    if (options.mode != RunMode::Capture) {
        for (const char* name : {"--from", "--to", "--size"}) {
            if (Has(args, name)) {
                return std::string(name) + " applies only to --capture";
            }
        }
        return "";
    }
    if (options.reference) {
        return "--reference does not apply to --capture";
    }
    const std::string sequenceError = CheckSequenceName(options.capturePath);
    if (!sequenceError.empty()) {
        return sequenceError;
    }
    CaptureFormat format;
    if (!CaptureFormatForName(options.capturePath, format)) {
        return "--capture cannot tell what to write from the name '" + options.capturePath +
               "'; the name picks the kind of file:\n" + CaptureFormatNames(CaptureWritesMediaFiles());
    }
    const CaptureFormatInfo& info = InfoOf(format);
    if (info.media && !CaptureWritesMediaFiles()) {
        return "--capture " + options.capturePath +
               ": this program writes picture sequences (NAME%d.png, NAME%d.bgra) and .wav sound; the web "
               "page makes mp4 and webm videos (its \"video\" button) and the Linux program writes every "
               "format";
    }
    if (!info.picture && options.mute) {
        return "--mute leaves nothing to write to " + options.capturePath;
    }
    if (!info.picture && Has(args, "--size")) {
        return "--size does not apply to a sound file";
    }
    std::string error = CheckSize(options, info);
    return error.empty() ? CheckSpan(options) : error;
}

CaptureSettings CaptureSettingsFor(const Options& options, const std::string& dataDir) {
    CaptureSettings settings;
    settings.path = options.capturePath;
    CaptureFormatForName(options.capturePath, settings.format);
    settings.width = options.captureWidth;
    settings.height = options.captureHeight;
    settings.replace = options.overwrite;
    const uint32_t lastPass = LastPassOfShow(options.fps);
    const uint64_t toMs = options.hasTo ? options.toMs : UINT64_MAX / 1000;
    settings.span = SpanBetween(options.fromMs, toMs, lastPass, options.fps);
    if (!options.mute) {
        settings.musicPath = options.musicPath.empty() ? MusicPath(dataDir) : options.musicPath;
    }
    const std::string pattern = options.capturePath;
    settings.frameName = [pattern](uint32_t pass) { return FrameNameFor(pattern, pass); };
    return settings;
}
