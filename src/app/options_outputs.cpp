#include "app/options_outputs.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "app/capture_options.h"
#include "capture/picture_sequence_name.h"
#include "files/file_names.h"
#include "files/output_file.h"
#include "files/output_name.h"

namespace {

std::vector<std::string> FrameNames(const std::string& pattern, std::vector<uint32_t> passes) {
    std::vector<std::string> names;
    for (uint32_t pass : passes) {
        names.push_back(FrameNameFor(pattern, pass));
    }
    return names;
}

bool IsRegularFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(PathOf(path), error);
}

// A pipe or a socket, which takes bytes in order only: no going back to fill in a header.
bool IsPipe(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        return false;
    }
#ifdef S_ISSOCK
    if (S_ISSOCK(status.st_mode)) {
        return true;
    }
#endif
    return S_ISFIFO(status.st_mode);
}

}  // namespace

std::vector<std::string> OutputFilesOf(const Options& options) {
    switch (options.mode) {
        case RunMode::RenderFrame:
            return FrameNames(options.outPath, options.renderPasses);
        case RunMode::Hashes:
            return options.hashesPath == "-" ? std::vector<std::string>{} : std::vector{options.hashesPath};
        case RunMode::DumpScript:
            return options.dumpScriptPath == "-" ? std::vector<std::string>{}
                                                 : std::vector{options.dumpScriptPath};
        case RunMode::Capture: {
            const CaptureSettings settings = CaptureSettingsFor(options, "");
            if (settings.format != CaptureFormat::PictureSequence) {
                return {options.capturePath};
            }
            std::vector<std::string> names;
            for (uint32_t frame = 0; frame < settings.span.frameCount; ++frame) {
                names.push_back(settings.frameName(settings.span.firstPass + frame));
            }
            return names;
        }
        default:
            return {};
    }
}

std::string FirstReplacedOutput(const Options& options) {
    if (options.overwrite) {
        return "";
    }
    const std::vector<std::string> names = OutputFilesOf(options);
    const auto replaced = std::find_if(names.begin(), names.end(), IsRegularFile);
    return replaced == names.end() ? "" : *replaced;
}

std::string FirstOutputProblem(const Options& options) {
    for (const std::string& name : OutputFilesOf(options)) {
        std::string problem = OutputNameProblem(name);
        if (problem.empty() && IsDirectory(name)) {
            problem = "is a directory";
        }
        if (!problem.empty()) {
            return name + ": " + problem;
        }
    }
    if (options.mode == RunMode::Capture && CaptureSettingsFor(options, "").format == CaptureFormat::Mp4 &&
        IsPipe(options.capturePath)) {
        return options.capturePath +
               ": mp4 needs a file it can seek in, not a pipe; mkv, webm and wav stream to a pipe";
    }
    return "";
}
