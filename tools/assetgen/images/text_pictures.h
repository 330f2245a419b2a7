#pragma once
#include <string>
#include <vector>

#include "font_book.h"
#include "map_types.h"
#include "surface.h"

// One line of a text picture, centred across the picture.
struct TextLine {
    std::string text;
    int size = 40;  // pixels; shrunk if the line would not fit the width
    bool bold = false;
    Rgb colour{255, 255, 255};
};

// A text picture file: its name and its lines, set as one block centred in the picture.
struct TextPage {
    std::string fileName;
    std::vector<TextLine> lines;
};

// The six text pictures, text1.png to text6.png: what the show is, code, music, how it is made, greetings,
// the end.
std::vector<TextPage> TextPages();

// Sets a page in light anti-aliased text on pure black, 640 x 480.
SurfacePtr RenderTextPage(const TextPage& page, FontBook& fonts);

// Coverage of the page's lines laid out as RenderTextPage lays them, one full-size mask per line.
std::vector<Mask> LayOutLines(const std::vector<TextLine>& lines, FontBook& fonts);

// The title picture, title.png: the show's name with gradient fill, outline and glow, and a subtitle.
SurfacePtr RenderTitle(FontBook& fonts);
