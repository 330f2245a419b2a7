#include "text_pictures.h"

#include "picture.h"

namespace {

constexpr int MARGIN = 32;       // no text comes closer than this to the picture's edges
constexpr int HEADING_GAP = 18;  // extra space below the first line

}  // namespace

std::vector<Mask> LayOutLines(const std::vector<TextLine>& lines, FontBook& fonts) {
    std::vector<Mask> rendered;
    int blockHeight = 0;
    for (const TextLine& line : lines) {
        const int size = fonts.FittingSize(line.text, line.bold, line.size, PICTURE_WIDTH - 2 * MARGIN);
        rendered.push_back(fonts.RenderLine(line.text, line.bold, size));
        blockHeight += rendered.back().height;
    }
    blockHeight += lines.size() > 1 ? HEADING_GAP : 0;
    std::vector<Mask> placed;
    int top = (PICTURE_HEIGHT - blockHeight) / 2;
    for (size_t i = 0; i < rendered.size(); ++i) {
        Mask full(PICTURE_WIDTH, PICTURE_HEIGHT);
        Stamp(full, rendered[i], (PICTURE_WIDTH - rendered[i].width) / 2, top);
        placed.push_back(std::move(full));
        top += rendered[i].height + (i == 0 ? HEADING_GAP : 0);
    }
    return placed;
}

SurfacePtr RenderTextPage(const TextPage& page, FontBook& fonts) {
    Picture picture;
    const std::vector<Mask> masks = LayOutLines(page.lines, fonts);
    for (size_t i = 0; i < masks.size(); ++i) {
        const Rgb colour = page.lines[i].colour;
        Paint(picture, masks[i], [colour](int, int) { return colour; });
    }
    return ToSurface(picture);
}
