#pragma once
#include <cstdint>
#include <vector>

// The 640 x 480 frame `frame` scaled up `factor` times in each direction by repeating pixels
// (nearest neighbour), into `out`, which is resized to hold it; rows from the top as in the frame.
void UpscaleFrame(const uint32_t* frame, uint32_t factor, std::vector<uint32_t>& out);
