#pragma once
#include <SDL.h>

#include <cstdint>
#include <string>

// Shows the 640 x 480 framebuffer stretched over the whole window (or, keeping its shape, as
// large as it fits, centred between black bars), pixel blocks without smoothing, through one
// streaming texture in the framebuffer's own pixel format.
struct SoftwarePresenter {
    bool keepAspect = false;    // set before CreateSoftwarePresenter
    bool vsync = false;         // likewise: the renderer's presents wait for the display's refresh
    bool presentWaits = false;  // the renderer took the vsync asked for
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    const uint32_t* lastFrame = nullptr;  // shown again when the window is exposed or resized
};

bool CreateSoftwarePresenter(SoftwarePresenter& presenter, SDL_Window* window, std::string& failure);
void PresentSoftwareFrame(SoftwarePresenter& presenter, const uint32_t* frame);
// Shows the last presented frame again, if there is one.
void RedrawSoftwareFrame(SoftwarePresenter& presenter);
void ReleaseSoftwarePresenter(SoftwarePresenter& presenter);
