#pragma once
#include <SDL.h>

#include <string>

#include "backends/sdl/shader_program.h"

// The GPU presenter: an OpenGL 3.3 core context on the window that clears to dark blue and
// draws one triangle with a red, a green and a blue corner on every present. It never shows
// the software framebuffer.
struct GpuPresenter {
    bool vsync = false;      // set before CreateGpuPresenter: swaps wait for the display's refresh
    bool swapWaits = false;  // the swap interval of 1 that vsync asks for was accepted
    SDL_GLContext context = nullptr;
    GLuint program = 0;
    GLuint vertexArray = 0;
    GLuint vertexBuffer = 0;
};

// Creates the context, builds the shaders from `shaderPath` and fills the vertex buffer.
// On failure releases what it made and gives one line naming what failed.
bool CreateGpuPresenter(GpuPresenter& presenter, SDL_Window* window, const char* shaderPath,
                        std::string& failure);
// Draws the triangle over the whole window and swaps, without waiting for the vertical blank
// unless `vsync` asked for it.
void PresentGpuFrame(GpuPresenter& presenter, SDL_Window* window);
void ReleaseGpuPresenter(GpuPresenter& presenter, SDL_Window* window);
