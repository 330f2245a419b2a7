#include "backends/win32/gdi_presenter.h"

#include "render/framebuffer.h"

void PaintFrame(HDC context, const RECT& client, const uint32_t* frame, bool keepAspect) {
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    int shownWidth = width;
    int shownHeight = height;
    if (keepAspect) {
        // As large as fits at 4:3, in whole pixels.
        if (width * FRAME_HEIGHT > height * FRAME_WIDTH) {
            shownWidth = height * FRAME_WIDTH / FRAME_HEIGHT;
        } else {
            shownHeight = width * FRAME_HEIGHT / FRAME_WIDTH;
        }
    }
    const int left = (width - shownWidth) / 2;
    const int top = (height - shownHeight) / 2;
    if (shownWidth != width || shownHeight != height) {
        HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        const RECT bars[] = {{0, 0, width, top},
                             {0, top + shownHeight, width, height},
                             {0, top, left, top + shownHeight},
                             {left + shownWidth, top, width, top + shownHeight}};
        for (const RECT& bar : bars) {
            FillRect(context, &bar, black);
        }
    }
    // The framebuffer's words 0x00RRGGBB are the bytes blue, green, red, unused: a 32-bit
    // top-down DIB as they stand.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = FRAME_WIDTH;
    info.bmiHeader.biHeight = -FRAME_HEIGHT;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetStretchBltMode(context, COLORONCOLOR);
    StretchDIBits(context, left, top, shownWidth, shownHeight, 0, 0, FRAME_WIDTH, FRAME_HEIGHT, frame, &info,
                  DIB_RGB_COLORS, SRCCOPY);
}
