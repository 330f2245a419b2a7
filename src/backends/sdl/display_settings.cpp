#include "backends/sdl/display_settings.h"

uint16_t displayWidth = 0;
uint16_t displayHeight = 0;
uint8_t windowFlags = 0;
uint8_t presenterFlags = 0;
SDL_Window* mainWindow = nullptr;
