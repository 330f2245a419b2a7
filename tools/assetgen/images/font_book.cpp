#include "font_book.h"

#include <stdexcept>

#include "surface.h"

FontBook::FontBook(std::string regularPath, std::string boldPath)
    : regularPath_(std::move(regularPath)), boldPath_(std::move(boldPath)) {
    if (TTF_Init() != 0) {
        throw std::runtime_error(std::string("cannot start the font renderer: ") + TTF_GetError());
    }
}

FontBook::~FontBook() {
    for (auto& entry : open_) {
        TTF_CloseFont(entry.second);
    }
    TTF_Quit();
}

TTF_Font* FontBook::Font(bool bold, int size) {
    const auto key = std::make_pair(bold, size);
    if (const auto found = open_.find(key); found != open_.end()) {
        return found->second;
    }
    const std::string& path = bold ? boldPath_ : regularPath_;
    TTF_Font* font = TTF_OpenFont(path.c_str(), size);
    if (font == nullptr) {
        throw std::runtime_error(path + ": cannot open font: " + TTF_GetError());
    }
    open_[key] = font;
    return font;
}

Mask FontBook::RenderLine(const std::string& text, bool bold, int size) {
    const SDL_Color white{255, 255, 255, 255};
    SurfacePtr rendered(TTF_RenderUTF8_Blended(Font(bold, size), text.c_str(), white));
    if (!rendered) {
        throw std::runtime_error("cannot set the text \"" + text + "\": " + TTF_GetError());
    }
    SurfacePtr argb(SDL_ConvertSurfaceFormat(rendered.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    if (!argb) {
        throw std::runtime_error(std::string("cannot convert rendered text: ") + SDL_GetError());
    }
    Mask mask(argb->w, argb->h);
    for (int y = 0; y < argb->h; ++y) {
        const auto* row =
            reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) + y * argb->pitch);
        for (int x = 0; x < argb->w; ++x) {
            mask.At(x, y) = static_cast<float>(row[x] >> 24) / 255.0f;
        }
    }
    return mask;
}

int FontBook::FittingSize(const std::string& text, bool bold, int size, int maxWidth) {
    for (; size > 8; --size) {
        int width = 0;
        int height = 0;
        if (TTF_SizeUTF8(Font(bold, size), text.c_str(), &width, &height) == 0 && width <= maxWidth) {
            break;
        }
    }
    return size;
}
