#include "files/program_path.h"

#include <windows.h>

#include <vector>

// The module's file name in the system's code page, as the program's other paths are. The
// buffer grows until the name fits: a longer name is cut short and fills the buffer.
std::string ProgramPath() {
    std::vector<char> name(MAX_PATH);
    while (true) {
        const DWORD length = GetModuleFileNameA(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) {
            return "";
        }
        if (length < name.size()) {
            return std::string(name.data(), length);
        }
        name.resize(name.size() * 2);
    }
}
