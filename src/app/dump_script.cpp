#include "app/dump_script.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/builtin_script.h"
#include "app/script_text.h"

int DumpScript(const std::string& path) {
    const bool toStdout = path == "-";
    std::FILE* file = toStdout ? stdout : std::fopen(path.c_str(), "w");
    const char* shownName = toStdout ? "standard output" : path.c_str();
    if (file == nullptr) {
        std::fprintf(stderr, "voxelshow: %s: %s\n", shownName, std::strerror(errno));
        return 1;
    }
    const std::string text = WriteScript(BuiltInScript());
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
    int writeError = errno;
    if (!toStdout && std::fclose(file) != 0 && written) {
        written = false;
        writeError = errno;
    }
    if (!written) {
        std::fprintf(stderr, "voxelshow: %s: cannot write: %s\n", shownName, std::strerror(writeError));
        struct stat status {};
        if (!toStdout && stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
            std::remove(path.c_str());  // a partial script; devices and pipes are left alone
        }
        return 1;
    }
    return 0;
}
