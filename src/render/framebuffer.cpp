#include "render/framebuffer.h"

alignas(64) uint32_t frameBuffer[FRAME_PIXELS];
