#include "temp_path.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace {

struct ProcessTempDir {
    ProcessTempDir() : owner(getpid()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "voxelshow-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a temporary directory under " + pattern);
        }
        path = pattern;
    }
    ~ProcessTempDir() {
        // A forked child that exits normally must not take its parent's folder with it.
        if (getpid() == owner) {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    }

    pid_t owner;
    std::string path;
};

}  // namespace

std::string TempPath(const std::string& name) {
    static const ProcessTempDir dir;
    return dir.path + "/" + name;
}
