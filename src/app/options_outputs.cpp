#include "app/options_outputs.h"

#include <algorithm>
#include <filesystem>

#include "app/capture_options.h"
#include "capture/picture_sequence_name.h"
#include "files/file_names.h"

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
