#include "app/data_directory.h"

#include <filesystem>
#include <system_error>

#include "files/program_path.h"

std::string ProgramFolderFile(const std::string& name) {
    const std::string program = ProgramPath();
    return program.empty() ? std::string() : (std::filesystem::path(program).parent_path() / name).string();
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
    if (std::filesystem::exists(std::filesystem::symlink_status(name, error))) {
        return name;
    }
    const std::string beside = ProgramFolderFile(name);
    return !beside.empty() && std::filesystem::is_regular_file(beside, error) ? beside : name;
}
