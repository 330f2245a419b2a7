#include "app/frame_hash.h"

#include <xxhash.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <memory>

#include "render/framebuffer.h"

namespace {

// Pixels hashed at a time: a slice small enough to stay in the first-level cache.
constexpr int SLICE_PIXELS = 4096;

// A pixel 0x00RRGGBB stored little-endian is the bytes blue, green, red, 0.
static_assert(std::endian::native == std::endian::little);

struct StateDeleter {
    void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

}  // namespace

// Fed to the hash slice by slice, each pixel with its fourth byte cleared, which gives the same
// value as hashing the whole frame at once.
uint64_t FrameHash(const uint32_t* frame) {
    const std::unique_ptr<XXH3_state_t, StateDeleter> state(XXH3_createState());
    XXH3_64bits_reset(state.get());
    uint32_t slice[SLICE_PIXELS];
    for (int first = 0; first < FRAME_PIXELS; first += SLICE_PIXELS) {
        const int count = std::min(SLICE_PIXELS, FRAME_PIXELS - first);
        for (int i = 0; i < count; ++i) {
            slice[i] = frame[first + i] & 0x00FFFFFFu;
        }
        XXH3_64bits_update(state.get(), slice, static_cast<size_t>(count) * sizeof(uint32_t));
    }
    return XXH3_64bits_digest(state.get());
}

std::string HashText(uint64_t hash) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}
