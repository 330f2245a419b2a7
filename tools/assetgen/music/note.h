#pragma once
#include <vector>

namespace music {

// One sounding event of an instrument: a drum hit, a bass note, a whole chord of a pad.
struct Note {
    double start = 0.0;   // seconds
    double length = 0.0;  // seconds the note is held; instruments may ring on after it
    std::vector<int> pitches;
    float velocity = 1.0f;
    float pan = 0.0f;  // -1 left to 1 right, on top of the lane's own placement
};

}  // namespace music
