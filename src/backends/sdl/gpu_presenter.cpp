#include "backends/sdl/gpu_presenter.h"

#include <cstddef>
#include <cstring>

#include "platform/gpu_triangle.h"

namespace {

constexpr GLuint POSITION_INPUT = 0;
constexpr GLuint COLOUR_INPUT = 1;

// The buffer is written once through a mapping that discards its old content.
void CreateTriangleBuffer(GpuPresenter& presenter) {
    glGenVertexArrays(1, &presenter.vertexArray);
    glBindVertexArray(presenter.vertexArray);
    glGenBuffers(1, &presenter.vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, presenter.vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof TRIANGLE, nullptr, GL_DYNAMIC_DRAW);
    void* mapped = glMapBufferRange(GL_ARRAY_BUFFER, 0, sizeof TRIANGLE,
                                    GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT);
    if (mapped != nullptr) {
        std::memcpy(mapped, TRIANGLE, sizeof TRIANGLE);
        glUnmapBuffer(GL_ARRAY_BUFFER);
    }
    // The colour input reads three floats; the fourth stays in the buffer unread.
    glVertexAttribPointer(POSITION_INPUT, 3, GL_FLOAT, GL_FALSE, sizeof(TriangleVertex),
                          reinterpret_cast<const void*>(offsetof(TriangleVertex, x)));
    glVertexAttribPointer(COLOUR_INPUT, 3, GL_FLOAT, GL_FALSE, sizeof(TriangleVertex),
                          reinterpret_cast<const void*>(offsetof(TriangleVertex, r)));
    glEnableVertexAttribArray(POSITION_INPUT);
    glEnableVertexAttribArray(COLOUR_INPUT);
}

}  // namespace

bool CreateGpuPresenter(GpuPresenter& presenter, SDL_Window* window, const char* shaderPath,
                        std::string& failure) {
    presenter.context = SDL_GL_CreateContext(window);
    if (presenter.context == nullptr) {
        failure = std::string("cannot create an OpenGL 3.3 core context: ") + SDL_GetError();
        return false;
    }
    // A refused interval leaves the pacing to the platform's clock (see PresentPacer).
    presenter.swapWaits = SDL_GL_SetSwapInterval(presenter.vsync ? 1 : 0) == 0 && presenter.vsync;
    presenter.program = BuildShaderProgram(shaderPath, failure);
    if (presenter.program == 0) {
        ReleaseGpuPresenter(presenter, window);
        return false;
    }
    glUseProgram(presenter.program);
    CreateTriangleBuffer(presenter);
    return true;
}

void PresentGpuFrame(GpuPresenter& presenter, SDL_Window* window) {
    SDL_GL_MakeCurrent(window, presenter.context);
    // The 640 x 480 picture is stretched over the window, as a back buffer of that size would be.
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(window, &width, &height);
    glViewport(0, 0, width, height);
    glClearColor(CLEAR_COLOUR[0], CLEAR_COLOUR[1], CLEAR_COLOUR[2], CLEAR_COLOUR[3]);
    glClear(GL_COLOR_BUFFER_BIT);
    glBindVertexArray(presenter.vertexArray);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    SDL_GL_SwapWindow(window);
}

void ReleaseGpuPresenter(GpuPresenter& presenter, SDL_Window* window) {
    if (presenter.context == nullptr) {
        return;
    }
    SDL_GL_MakeCurrent(window, presenter.context);
    if (presenter.vertexBuffer != 0) {
        glDeleteBuffers(1, &presenter.vertexBuffer);
    }
    if (presenter.vertexArray != 0) {
        glDeleteVertexArrays(1, &presenter.vertexArray);
    }
    if (presenter.program != 0) {
        glDeleteProgram(presenter.program);
    }
    SDL_GL_DeleteContext(presenter.context);
    presenter = GpuPresenter{.vsync = presenter.vsync};
}
