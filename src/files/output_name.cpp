#include "files/output_name.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>

namespace {

// The longest name the folder's file system takes, in bytes; the usual 255 where the folder
// cannot be asked (it does not exist yet).
size_t LongestName(const std::filesystem::path& folder) {
    const long longest = pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    return longest > 0 ? static_cast<size_t>(longest) : NAME_MAX;
}

}  // namespace

std::string OutputNameProblem(const std::string& path) {
    if (path.size() >= PATH_MAX) {
        return "the path is " + std::to_string(path.size()) + " bytes long; the system takes at most " +
               std::to_string(PATH_MAX - 1);
    }
    const std::filesystem::path whole = path;
    std::filesystem::path folder;
    for (const std::filesystem::path& part : whole) {
        const size_t longest = LongestName(folder);
        if (part.native().size() > longest) {
            const bool last = folder / part == whole;
            return std::string(last ? "the file's name" : "a folder's name in it") + " is " +
                   std::to_string(part.native().size()) + " bytes long; the file system takes at most " +
                   std::to_string(longest);
        }
        folder /= part;
    }
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 && errno == ELOOP) {
        return "is a symbolic link that leads round in a loop";
    }
    return "";
}
