#include "app/dump_script.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "files/interruption.h"
#include "files/output_file.h"
#include "script/builtin_script.h"
#include "script/script_text.h"

namespace {

// "" or the reason the text could not be written whole to standard output.
std::string WriteToStandardOutput(const std::string& text) {
    const bool written =
        std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
    return written ? "" : std::string("cannot write: ") + std::strerror(errno);
}

// "" or the reason; the file appears whole or not at all.
std::string WriteToFile(const std::string& path, const std::string& text, bool replace) {
    OutputFile file;
    const std::string failure = OpenOutputFile(file, path);
    if (!failure.empty()) {
        return failure;
    }
    file.replace = replace;
    std::fwrite(text.data(), 1, text.size(), file.stream);  // checked, with the close, by CommitOutputFile
    return CommitOutputFile(file);
}

}  // namespace

int DumpScript(const std::string& path, bool replace) {
    const std::string text = WriteScript(BuiltInScript());
    const bool toStdout = path == "-";
    const std::string failure = toStdout ? WriteToStandardOutput(text) : WriteToFile(path, text, replace);
    if (!failure.empty()) {
        std::fprintf(stderr, "voxelshow: %s: %s\n", toStdout ? "standard output" : path.c_str(),
                     failure.c_str());
        return InterruptingSignal() != 0 ? 128 + InterruptingSignal() : 1;
    }
    return 0;
}
