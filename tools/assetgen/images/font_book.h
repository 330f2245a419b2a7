#pragma once
#include <SDL2/SDL_ttf.h>

#include <map>
#include <string>
#include <utility>

#include "glyph_mask.h"

// The fonts the pictures are set in, opened on first use at each size and kept open until destruction.
class FontBook {
public:
    FontBook(std::string regularPath, std::string boldPath);  // starts SDL_ttf; throws if it cannot
    ~FontBook();
    FontBook(const FontBook&) = delete;
    FontBook& operator=(const FontBook&) = delete;

    // The font at `size` pixels; throws std::runtime_error naming the font file if it cannot be opened.
    TTF_Font* Font(bool bold, int size);

    // Anti-aliased coverage of one line of text, as wide and high as the text needs.
    Mask RenderLine(const std::string& text, bool bold, int size);

    // The largest size up to `size` at which `text` is at most `maxWidth` pixels wide.
    int FittingSize(const std::string& text, bool bold, int size, int maxWidth);

private:
    std::string regularPath_;
    std::string boldPath_;
    std::map<std::pair<bool, int>, TTF_Font*> open_;
};
