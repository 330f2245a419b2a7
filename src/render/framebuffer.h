#pragma once
#include <cstdint>

// The one picture every effect draws into: 640 x 480 pixels, rows top to bottom.
// A pixel is a 32-bit word 0xXXRRGGBB: blue in the lowest byte, then green, then red,
// and a fourth byte that is carried along but never shown.
constexpr int FRAME_WIDTH = 640;
constexpr int FRAME_HEIGHT = 480;
constexpr int FRAME_PIXELS = FRAME_WIDTH * FRAME_HEIGHT;

extern uint32_t frameBuffer[FRAME_PIXELS];
