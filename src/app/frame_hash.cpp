#include "app/frame_hash.h"

#include <xxhash.h>

#include <cstdio>
#include <vector>

#include "render/framebuffer.h"

uint64_t FrameHash(const uint32_t* frame) {
    std::vector<uint8_t> bytes(FRAME_PIXELS * 4);
    for (int i = 0; i < FRAME_PIXELS; ++i) {
        bytes[i * 4 + 0] = static_cast<uint8_t>(frame[i]);
        bytes[i * 4 + 1] = static_cast<uint8_t>(frame[i] >> 8);
        bytes[i * 4 + 2] = static_cast<uint8_t>(frame[i] >> 16);
        bytes[i * 4 + 3] = 0;
    }
    return XXH3_64bits(bytes.data(), bytes.size());
}

std::string HashText(uint64_t hash) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}
