#include "app/data_directory.h"

#include <filesystem>
#include <system_error>

std::string FindDataDirectory(const std::string& given) {
    if (!given.empty()) {
        return given;
    }
    std::error_code error;
    if (std::filesystem::is_directory("data", error)) {
        return "data";
    }
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return "data";  // nothing better to try; loading will name the missing file
    }
    return (program.parent_path() / "data").string();
}
