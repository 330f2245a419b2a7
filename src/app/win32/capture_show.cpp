#include "app/capture_show.h"

#include <cstdio>

int CaptureShow(const Options&) {
    std::fprintf(stderr,
                 "voxelshow: --capture is a Linux feature; this Windows build cannot write video files\n");
    return 2;
}
