#pragma once
#include <SDL.h>

#include <cstdint>

// How the show is displayed, set once by InitWindow from the command line.
constexpr uint8_t WINDOW_FULLSCREEN = 1;  // covers the display, cursor hidden
constexpr uint8_t WINDOW_WINDOWED = 2;    // a framed, resizable window; wins over WINDOW_FULLSCREEN

// Presenter bits: 1 the software presenter, 2 the GPU presenter, 3 the GPU presenter set up
// and released while the software presenter shows the frames.
constexpr uint8_t PRESENTER_SOFTWARE_BIT = 1;
constexpr uint8_t PRESENTER_GPU_BIT = 2;

extern uint16_t displayWidth;   // client width of the window, and of the GPU presenter's picture
extern uint16_t displayHeight;  // client height, likewise
extern uint8_t windowFlags;     // WINDOW_ bits
extern uint8_t presenterFlags;  // PRESENTER_ bits: 1, 2 or 3
extern SDL_Window* mainWindow;  // the one window; null until created
