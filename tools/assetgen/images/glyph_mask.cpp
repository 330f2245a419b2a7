#include "glyph_mask.h"

#include <algorithm>

namespace {

// One horizontal and one vertical box pass, each the mean over 2 * radius + 1 pixels.
Mask BoxPass(const Mask& mask, int radius) {
    const float scale = 1.0f / static_cast<float>(2 * radius + 1);
    Mask across(mask.width, mask.height);
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            float sum = 0.0f;
            for (int k = std::max(0, x - radius); k <= std::min(mask.width - 1, x + radius); ++k) {
                sum += mask.At(k, y);
            }
            across.At(x, y) = sum * scale;
        }
    }
    Mask down(mask.width, mask.height);
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            float sum = 0.0f;
            for (int k = std::max(0, y - radius); k <= std::min(mask.height - 1, y + radius); ++k) {
                sum += across.At(x, k);
            }
            down.At(x, y) = sum * scale;
        }
    }
    return down;
}

}  // namespace

void Stamp(Mask& canvas, const Mask& piece, int left, int top) {
    for (int y = 0; y < piece.height; ++y) {
        for (int x = 0; x < piece.width; ++x) {
            const int cx = left + x;
            const int cy = top + y;
            if (cx >= 0 && cx < canvas.width && cy >= 0 && cy < canvas.height) {
                canvas.At(cx, cy) = std::max(canvas.At(cx, cy), piece.At(x, y));
            }
        }
    }
}

Mask Dilate(const Mask& mask, int radius) {
    Mask grown(mask.width, mask.height);
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            const float value = mask.At(x, y);
            if (value <= 0.0f) {
                continue;
            }
            for (int dy = -radius; dy <= radius; ++dy) {
                for (int dx = -radius; dx <= radius; ++dx) {
                    const int gx = x + dx;
                    const int gy = y + dy;
                    if (dx * dx + dy * dy <= radius * radius && gx >= 0 && gx < mask.width && gy >= 0 &&
                        gy < mask.height) {
                        grown.At(gx, gy) = std::max(grown.At(gx, gy), value);
                    }
                }
            }
        }
    }
    return grown;
}

Mask Blur(const Mask& mask, int radius) {
    Mask result = mask;
    for (int pass = 0; pass < 3; ++pass) {
        result = BoxPass(result, radius);
    }
    return result;
}
