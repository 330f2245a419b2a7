#include "pitch.h"

#include <cmath>
#include <utility>

namespace music {

namespace {

std::optional<int> PitchClass(char letter) {
    switch (letter) {
        case 'C':
            return 0;
        case 'D':
            return 2;
        case 'E':
            return 4;
        case 'F':
            return 5;
        case 'G':
            return 7;
        case 'A':
            return 9;
        case 'B':
            return 11;
        default:
            return std::nullopt;
    }
}

// Reads the root letter and an optional accidental; returns semitones above the letter C (from
// -1 for Cb to 12 for B#) and the text after them.
std::optional<std::pair<int, std::string_view>> ParseRoot(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    const auto pitchClass = PitchClass(text[0]);
    if (!pitchClass) {
        return std::nullopt;
    }
    int root = *pitchClass;
    text.remove_prefix(1);
    if (!text.empty() && (text[0] == '#' || text[0] == 'b')) {
        root += text[0] == '#' ? 1 : -1;
        text.remove_prefix(1);
    }
    return std::pair{root, text};
}

int FirstAtOrAbove(int pitchClass, int lowest) {
    const int offset = ((pitchClass - lowest) % 12 + 12) % 12;
    return lowest + offset;
}

}  // namespace

double NoteFrequency(double midiNote) {
    return 440.0 * std::pow(2.0, (midiNote - 69.0) / 12.0);
}

std::optional<int> ParseNoteName(std::string_view name) {
    const auto root = ParseRoot(name);
    if (!root || root->second.size() != 1 || root->second[0] < '0' || root->second[0] > '9') {
        return std::nullopt;
    }
    const int octave = root->second[0] - '0';
    return 12 * (octave + 1) + root->first;
}

std::optional<Chord> ParseChord(std::string_view symbol) {
    static const std::pair<std::string_view, std::vector<int>> kQualities[] = {
        {"", {0, 4, 7}},       {"m", {0, 3, 7}},        {"7", {0, 4, 7, 10}},
        {"m7", {0, 3, 7, 10}}, {"maj7", {0, 4, 7, 11}}, {"sus2", {0, 2, 7}},
        {"sus4", {0, 5, 7}},   {"add9", {0, 4, 7, 14}}, {"5", {0, 7}},
    };
    const auto root = ParseRoot(symbol);
    if (!root) {
        return std::nullopt;
    }
    for (const auto& [name, intervals] : kQualities) {
        if (root->second == name) {
            return Chord{(root->first + 12) % 12, intervals};
        }
    }
    return std::nullopt;
}

std::vector<int> VoiceChord(const Chord& chord, int lowest) {
    const int base = FirstAtOrAbove(chord.root, lowest);
    std::vector<int> notes;
    for (const int interval : chord.intervals) {
        notes.push_back(base + interval);
    }
    return notes;
}

int ChordTone(const Chord& chord, int lowest, int index) {
    const int count = static_cast<int>(chord.intervals.size());
    const int base = FirstAtOrAbove(chord.root, lowest);
    return base + chord.intervals[index % count] + 12 * (index / count);
}

}  // namespace music
