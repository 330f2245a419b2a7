#include "app/capture_loader.h"

// The Windows program writes no media files, so the capture needs no libraries of its own and
// is linked into the program.
const CaptureModule* LoadCaptureModule(std::string&) {
    return VoxelshowCaptureModule();
}

bool CaptureWritesMediaFiles() {
    return false;
}
