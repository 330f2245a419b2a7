#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The names of a picture sequence's frames, written as video tools write them: "%d" is the
// pass number, "%0Nd" (N from 1 to 9) the pass number zero-padded to N digits, "%%" a "%".
struct FrameNamePattern {
    std::string error;            // "" when every "%" is one of the forms above, else why not
    int numbers = 0;              // how many pass numbers the name holds
    bool numberInFolder = false;  // a pass number before the last "/"
};

FrameNamePattern ReadFrameNamePattern(std::string_view pattern);

// The frame's name for a pass; the pattern must be valid.
std::string FrameNameFor(std::string_view pattern, uint32_t pass);
