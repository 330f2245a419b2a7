#include "app/capture_loader.h"

#include <dlfcn.h>

#include "app/data_directory.h"

const CaptureModule* LoadCaptureModule(std::string& failure) {
    // Only the copy beside the program is loaded: code is never taken from the working folder.
    const std::string path = ProgramFolderFile(CAPTURE_MODULE_FILE);
    if (path.empty()) {
        failure = std::string(CAPTURE_MODULE_FILE) + ": the program's folder cannot be told";
        return nullptr;
    }
    // Kept loaded for the rest of the run: the capture's threads and exit handlers live in it.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        failure = std::string("cannot load the capture module: ") + dlerror();  // it names the file
        return nullptr;
    }
    auto entry = reinterpret_cast<const CaptureModule* (*)()>(dlsym(handle, CAPTURE_MODULE_ENTRY));
    if (entry == nullptr) {
        failure = path + ": not the capture module of this program: " + dlerror();
        return nullptr;
    }
    return entry();
}

bool CaptureWritesMediaFiles() {
    return true;
}
