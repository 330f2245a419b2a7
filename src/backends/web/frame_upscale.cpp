#include "backends/web/frame_upscale.h"

#include <algorithm>

#include "render/framebuffer.h"

void UpscaleFrame(const uint32_t* frame, uint32_t factor, std::vector<uint32_t>& out) {
    const size_t width = size_t{FRAME_WIDTH} * factor;
    out.resize(width * FRAME_HEIGHT * factor);
    uint32_t* row = out.data();
    for (int y = 0; y < FRAME_HEIGHT; ++y) {
        const uint32_t* source = frame + static_cast<size_t>(y) * FRAME_WIDTH;
        uint32_t* first = row;
        for (int x = 0; x < FRAME_WIDTH; ++x) {
            std::fill_n(row, factor, source[x]);
            row += factor;
        }
        // The other rows of the band are copies of the first.
        for (uint32_t copy = 1; copy < factor; ++copy) {
            row = std::copy_n(first, width, row);
        }
    }
}
