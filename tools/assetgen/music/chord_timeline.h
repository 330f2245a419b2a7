#pragma once
#include <optional>
#include <vector>

#include "arrangement.h"
#include "pitch.h"

namespace music {

// The chord in effect at each moment, from the arrangement's chord spans.
struct ChordTimeline {
    struct Entry {
        double start = 0.0;
        double end = 0.0;
        Chord chord;
    };
    std::vector<Entry> entries;  // sorted, not overlapping

    // Throws std::invalid_argument for an unknown chord symbol.
    explicit ChordTimeline(const std::vector<ChordSpan>& spans);

    // The entry sounding at `seconds`, if any.
    const Entry* At(double seconds) const;
};

}  // namespace music
