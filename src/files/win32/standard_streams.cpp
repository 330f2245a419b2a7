#include "files/standard_streams.h"

#include <io.h>
#include <windows.h>

#include <cstdio>

#include "files/win32/wide_text.h"

// The program is a windowed one (no console of its own opens beside the show); it has the
// standard streams its starter redirected, and is joined to the console of a prompt for the
// others.
namespace {

bool HasHandle(DWORD stream) {
    const HANDLE handle = GetStdHandle(stream);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// Whether a stream of the C library reaches a file, pipe or console.
bool IsConnected(std::FILE* stream) {
    const int descriptor = _fileno(stream);
    if (descriptor < 0) {
        return false;
    }
    const intptr_t handle = _get_osfhandle(descriptor);
    return handle != -1 && handle != -2 && handle != 0;
}

}  // namespace

void ConnectStandardStreams() {
    const bool output = HasHandle(STD_OUTPUT_HANDLE);
    const bool error = HasHandle(STD_ERROR_HANDLE);
    if ((output && error) || AttachConsole(ATTACH_PARENT_PROCESS) == 0) {
        return;
    }
    if (!output) {
        std::freopen("CONOUT$", "w", stdout);
    }
    if (!error) {
        std::freopen("CONOUT$", "w", stderr);
    }
}

void ReportFailure(const std::string& text) {
    std::fflush(stdout);
    if (IsConnected(stderr)) {
        std::fprintf(stderr, "%s\n", text.c_str());
        std::fflush(stderr);
        return;
    }
    MessageBoxW(nullptr, WideOf(text).c_str(), L"voxelshow", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}
