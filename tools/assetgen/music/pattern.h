#pragma once
#include <string_view>
#include <vector>

namespace music {

// How a pattern's step values become pitches.
enum class PatternKind {
    drum,         // no pitch; "X" accent, "x" hit, "o" ghost, "." rest, one character per step
    rootOffsets,  // semitones above the chord's root
    chordTones,   // index into the chord's tones, counted upwards (3 in a triad is the octave)
    notes,        // note names such as "A4"
    sustain,      // one held note per chord (the text is ignored)
};

// A pattern as written: for the pitched kinds the text is tokens separated by blanks, each a
// value, "-" (hold the previous note) or "." (rest). "|" marks bar lines for the reader only.
struct PatternText {
    std::string_view name;
    PatternKind kind = PatternKind::drum;
    int stepsPerBeat = 4;
    std::string_view text;
};

enum class StepKind { rest, hold, hit };

struct Step {
    StepKind kind = StepKind::rest;
    int value = 0;
    float velocity = 1.0f;
};

struct Pattern {
    PatternKind kind = PatternKind::drum;
    int stepsPerBeat = 4;
    std::vector<Step> steps;
};

// Throws std::invalid_argument naming the pattern and the token it could not read.
Pattern ParsePattern(const PatternText& text);

// The named patterns of the piece.
const std::vector<PatternText>& PatternBook();

// The parsed pattern of that name; throws std::invalid_argument if there is none.
Pattern FindPattern(std::string_view name);

}  // namespace music
