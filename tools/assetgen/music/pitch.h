#pragma once
#include <optional>
#include <string_view>
#include <vector>

namespace music {

// Pitches are MIDI note numbers: 60 is middle C (C4), 69 is A4 at 440 Hz.
double NoteFrequency(double midiNote);

// Parses a note name such as "A4", "C#5" or "Bb3"; nothing for anything else.
std::optional<int> ParseNoteName(std::string_view name);

// A chord: its root as a pitch class (0 = C ... 11 = B) and its tones as semitones above the
// root, lowest first.
struct Chord {
    int root = 0;
    std::vector<int> intervals;
};

// Parses a chord symbol: a root letter with an optional # or b, then one of "" (major), "m",
// "7", "m7", "maj7", "sus2", "sus4", "add9" or "5". Nothing for an unknown symbol.
std::optional<Chord> ParseChord(std::string_view symbol);

// The chord's tones voiced upwards from the root's first pitch at or above `lowest`.
std::vector<int> VoiceChord(const Chord& chord, int lowest);

// Tone `index` of the chord counted upwards from its root at or above `lowest`; indices past the
// last tone continue an octave higher.
int ChordTone(const Chord& chord, int lowest, int index);

}  // namespace music
