#include "capture/frame_scaler.h"

#include <algorithm>
#include <cstring>

#include "render/framebuffer.h"

namespace {

constexpr uint32_t OPAQUE = 0xFF000000u;

std::vector<int> NearestSource(int targetSize, int sourceSize) {
    std::vector<int> source(targetSize);
    for (int i = 0; i < targetSize; ++i) {
        // The centre of target pixel i, (i + 0.5) / targetSize of the way across.
        source[i] = static_cast<int>((int64_t{2} * i + 1) * sourceSize / (int64_t{2} * targetSize));
    }
    return source;
}

}  // namespace

PictureBox FitFourByThree(int frameWidth, int frameHeight) {
    PictureBox box;
    if (int64_t{frameWidth} * 3 >= int64_t{frameHeight} * 4) {
        box.height = frameHeight;
        box.width = static_cast<int>(int64_t{frameHeight} * 4 / 3);
    } else {
        box.width = frameWidth;
        box.height = static_cast<int>(int64_t{frameWidth} * 3 / 4);
    }
    box.x = (frameWidth - box.width) / 2;
    box.y = (frameHeight - box.height) / 2;
    return box;
}

FrameScaler MakeFrameScaler(int width, int height) {
    FrameScaler scaler;
    scaler.width = width;
    scaler.height = height;
    scaler.box = FitFourByThree(width, height);
    scaler.sourceColumn = NearestSource(scaler.box.width, FRAME_WIDTH);
    scaler.sourceRow = NearestSource(scaler.box.height, FRAME_HEIGHT);
    return scaler;
}

void ScaleFrame(const FrameScaler& scaler, const uint32_t* source, uint32_t* target) {
    const PictureBox& box = scaler.box;
    const size_t width = static_cast<size_t>(scaler.width);
    std::fill_n(target, width * box.y, OPAQUE);
    for (int row = 0; row < box.height; ++row) {
        uint32_t* line = target + width * (box.y + row);
        if (row > 0 && scaler.sourceRow[row] == scaler.sourceRow[row - 1]) {
            std::memcpy(line, line - width, width * sizeof(uint32_t));
            continue;
        }
        const uint32_t* sourceLine = source + static_cast<size_t>(FRAME_WIDTH) * scaler.sourceRow[row];
        std::fill_n(line, box.x, OPAQUE);
        for (int column = 0; column < box.width; ++column) {
            line[box.x + column] = sourceLine[scaler.sourceColumn[column]] | OPAQUE;
        }
        std::fill(line + box.x + box.width, line + width, OPAQUE);
    }
    std::fill(target + width * (box.y + box.height), target + width * scaler.height, OPAQUE);
}
