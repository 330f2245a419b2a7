#include <algorithm>
#include <cstdlib>
#include <utility>

#include "picture.h"
#include "text_pictures.h"

namespace {

// Thin horizontal rule whose brightness fades out towards both ends.
Mask FadingRule(int centreY, int halfLength) {
    Mask rule(PICTURE_WIDTH, PICTURE_HEIGHT);
    for (int x = -halfLength; x <= halfLength; ++x) {
        const float t = 1.0f - static_cast<float>(std::abs(x)) / static_cast<float>(halfLength);
        for (int y = centreY - 1; y <= centreY; ++y) {
            rule.At(PICTURE_WIDTH / 2 + x, y) = t;
        }
    }
    return rule;
}

// Row span covered by a mask, for fitting a gradient to the lettering.
std::pair<int, int> CoveredRows(const Mask& mask) {
    int first = PICTURE_HEIGHT;
    int last = 0;
    for (int y = 0; y < PICTURE_HEIGHT; ++y) {
        for (int x = 0; x < PICTURE_WIDTH; ++x) {
            if (mask.At(x, y) > 0.0f) {
                first = std::min(first, y);
                last = std::max(last, y);
                break;
            }
        }
    }
    return {first, std::max(first + 1, last)};
}

}  // namespace

SurfacePtr RenderTitle(FontBook& fonts) {
    const std::vector<TextLine> lines{{"VOXELSHOW", 104, true, {}},
                                      {"a flight over voxel mountains", 30, false, {}}};
    const std::vector<Mask> masks = LayOutLines(lines, fonts);
    const Mask& name = masks[0];
    const auto [top, bottom] = CoveredRows(name);

    Picture picture;
    AddLight(picture, Blur(Dilate(name, 5), 6), {60, 80, 230});
    Paint(picture, Dilate(name, 3), [](int, int) { return Rgb{110, 200, 255}; });
    Paint(picture, name, [top, bottom](int, int y) {
        const float t = static_cast<float>(y - top) / static_cast<float>(bottom - top);
        return Mix({255, 250, 225}, {255, 140, 50}, t);
    });
    Paint(picture, masks[1], [](int, int) { return Rgb{225, 235, 255}; });
    const Mask upper = FadingRule(top - 22, 230);
    const Mask lower = FadingRule(bottom + 14, 230);
    AddLight(picture, Blur(upper, 2), {90, 150, 255});
    AddLight(picture, Blur(lower, 2), {90, 150, 255});
    Paint(picture, upper, [](int, int) { return Rgb{200, 230, 255}; });
    Paint(picture, lower, [](int, int) { return Rgb{200, 230, 255}; });
    return ToSurface(picture);
}
