#pragma once
#include <cstdint>
#include <vector>

// Where the 4:3 picture lies inside a frame of another shape: the largest 4:3 rectangle
// that fits, centred, with black bars on the other sides.
struct PictureBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

PictureBox FitFourByThree(int frameWidth, int frameHeight);

// Nearest-neighbour scaling of the show's 640 x 480 frame into the picture box of a
// frame of any size; every output pixel is the source pixel under its centre.
struct FrameScaler {
    int width = 0;
    int height = 0;
    PictureBox box;
    std::vector<int> sourceColumn;  // for each column of the box
    std::vector<int> sourceRow;     // for each row of the box
};

FrameScaler MakeFrameScaler(int width, int height);

// Writes width x height pixels 0x00RRGGBB, with the fourth byte set to 0xFF (opaque) for
// the formats that store it; the bars are opaque black.
void ScaleFrame(const FrameScaler& scaler, const uint32_t* source, uint32_t* target);
