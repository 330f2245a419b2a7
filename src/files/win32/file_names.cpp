#include "files/file_names.h"

#include "files/win32/wide_text.h"

// Windows' names are UTF-16: a path made from the wide form reaches the wide-character calls
// unchanged, where a narrow one would pass through the system's code page and lose every
// letter outside it.
std::filesystem::path PathOf(const std::string& name) {
    return std::filesystem::path(WideOf(name));
}

std::string NameOf(const std::filesystem::path& path) {
    return Utf8Of(path.wstring());
}

std::FILE* OpenNamedFile(const std::string& name, const char* mode) {
    return _wfopen(WideOf(name).c_str(), WideOf(mode).c_str());
}

bool RemoveNamedFile(const std::string& name) {
    return _wremove(WideOf(name).c_str()) == 0;
}
