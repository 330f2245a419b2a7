#include "backends/sdl/software_presenter.h"

namespace {

constexpr int FRAME_WIDTH_PIXELS = 640;
constexpr int FRAME_HEIGHT_PIXELS = 480;
constexpr int FRAME_PITCH = FRAME_WIDTH_PIXELS * 4;

}  // namespace

bool CreateSoftwarePresenter(SoftwarePresenter& presenter, SDL_Window* window, std::string& failure) {
    // No vertical-blank wait unless asked: the show runs as fast as it can draw.
    presenter.renderer = SDL_CreateRenderer(window, -1, presenter.vsync ? SDL_RENDERER_PRESENTVSYNC : 0);
    if (presenter.renderer == nullptr) {
        failure = SDL_GetError();
        return false;
    }
    SDL_RendererInfo info{};
    presenter.presentWaits =
        SDL_GetRendererInfo(presenter.renderer, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
    // RGB888 is a 32-bit word 0xXXRRGGBB whose top byte is ignored: the framebuffer's layout.
    presenter.texture =
        SDL_CreateTexture(presenter.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                          FRAME_WIDTH_PIXELS, FRAME_HEIGHT_PIXELS);
    if (presenter.texture == nullptr) {
        failure = SDL_GetError();
        ReleaseSoftwarePresenter(presenter);
        return false;
    }
    SDL_SetTextureScaleMode(presenter.texture, SDL_ScaleModeNearest);
    SDL_SetTextureBlendMode(presenter.texture, SDL_BLENDMODE_NONE);
    if (presenter.keepAspect) {
        // The renderer scales the 640 x 480 area to fit and centres it; the bars stay black.
        SDL_RenderSetLogicalSize(presenter.renderer, FRAME_WIDTH_PIXELS, FRAME_HEIGHT_PIXELS);
        SDL_SetRenderDrawColor(presenter.renderer, 0, 0, 0, 255);
    }
    return true;
}

void PresentSoftwareFrame(SoftwarePresenter& presenter, const uint32_t* frame) {
    presenter.lastFrame = frame;
    SDL_UpdateTexture(presenter.texture, nullptr, frame, FRAME_PITCH);
    if (presenter.keepAspect) {
        SDL_RenderClear(presenter.renderer);
    }
    SDL_RenderCopy(presenter.renderer, presenter.texture, nullptr, nullptr);
    SDL_RenderPresent(presenter.renderer);
}

void RedrawSoftwareFrame(SoftwarePresenter& presenter) {
    if (presenter.lastFrame != nullptr) {
        PresentSoftwareFrame(presenter, presenter.lastFrame);
    }
}

void ReleaseSoftwarePresenter(SoftwarePresenter& presenter) {
    if (presenter.texture != nullptr) {
        SDL_DestroyTexture(presenter.texture);
        presenter.texture = nullptr;
    }
    if (presenter.renderer != nullptr) {
        SDL_DestroyRenderer(presenter.renderer);
        presenter.renderer = nullptr;
    }
    presenter.lastFrame = nullptr;
}
