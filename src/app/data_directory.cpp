#include "app/data_directory.h"

#include <filesystem>
#include <system_error>

#include "files/file_names.h"
#include "files/program_path.h"

std::string ProgramFolderFile(const std::string& name) {
    const std::string program = ProgramPath();
    return program.empty() ? std::string() : NameOf(PathOf(program).parent_path() / PathOf(name));
}

std::string FindDataDirectory(const std::string& given) {
    if (!given.empty()) {
        return given;
    }
    std::error_code error;
    if (std::filesystem::is_directory("data", error)) {
        return "data";
    }
    const std::string beside = ProgramFolderFile("data");
    return beside.empty() ? "data" : beside;  // nothing better to try; loading will name the missing file
}

std::string FindProgramFile(const std::string& name) {
    std::error_code error;
    // Whatever stands under that name in the working directory is the one meant, so that a
    // folder or a pipe there is reported rather than passed over.
    if (std::filesystem::exists(std::filesystem::symlink_status(PathOf(name), error))) {
        return name;
    }
    const std::string beside = ProgramFolderFile(name);
    return !beside.empty() && std::filesystem::is_regular_file(PathOf(beside), error) ? beside : name;
}
