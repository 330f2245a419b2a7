#pragma once
#include <windows.h>

#include <cstdint>

// The software presenter: GDI's StretchDIBits of the 640 x 480 framebuffer over the client
// area (or, keeping its shape, as large as it fits, centred between black bars), pixel blocks
// without smoothing. Called from the window's paint handler.
void PaintFrame(HDC context, const RECT& client, const uint32_t* frame, bool keepAspect);
