#include "pattern.h"

// The piece's patterns. Drum patterns have one character per sixteenth; the pitched patterns
// have one token per step (stepsPerBeat steps to a beat) and "|" between bars.
namespace music {

const std::vector<PatternText>& PatternBook() {
    using enum PatternKind;
    static const std::vector<PatternText> book = {
        // Drums, one bar each unless marked.
        {"four", drum, 4, "X...x...X...x..."},
        {"two", drum, 4, "X.......x......."},
        {"half", drum, 4, "X.........x....."},
        {"backbeat", drum, 4, "....X.......X..."},
        {"half-back", drum, 4, "........X......."},
        {"offbeat", drum, 4, "..x...x...x...x."},
        {"sixteenths", drum, 4, "oox.oox.oox.ooxo"},
        {"roll", drum, 4, "o.o.o.o.x.x.x.x.|xxxxxxxxXXXXXXX."},
        {"fill", drum, 4, "........xxxxXXX."},
        {"build", drum, 4, "xxxxxxxxXXXXXXXX"},

        // Bass lines, semitones above the chord's root.
        {"bass-long", rootOffsets, 4, "0 - - - - - - - - - - - - - - ."},
        {"bass-offbeat", rootOffsets, 4, ". . 0 . . . 0 . . . 0 . . . 0 ."},
        {"bass-pulse", rootOffsets, 2, "0 0 0 0 0 0 0 12"},
        {"bass-rolling", rootOffsets, 4, ". 0 0 12 . 0 0 12 . 0 0 12 . 0 7 12"},
        {"bass-drive", rootOffsets, 4, "0 0 12 0 0 0 12 0 0 0 12 0 7 0 12 ."},
        {"bass-half", rootOffsets, 4, "0 - - - - - . 0 0 - - - 7 - 12 -"},

        // Arpeggios, tones of the chord counted upwards.
        {"arp-slow", chordTones, 2, "0 1 2 3 2 1 0 1"},
        {"arp-up", chordTones, 4, "0 1 2 3 4 3 2 1 0 1 2 3 5 4 3 2"},
        {"arp-wide", chordTones, 4, "0 2 4 1 3 5 2 4 0 2 4 6 5 3 4 2"},

        // Pads and drones hold each chord.
        {"sustain", sustain, 4, ""},

        // Melodies, eighth notes.
        {"lift-melody", notes, 2,
         "C5 - - A4 - - G4 A4 | B4 - - D5 - - C5 B4 | G4 - - B4 - - E5 - | E5 - - - D5 C5 B4 - |"
         "C5 - - A4 - - F5 - | D5 - - - B4 - G4 -"},
        {"hook", notes, 2,
         "A4 - C5 - E5 - - D5 | C5 - A4 - F4 - A4 - | G4 - - E5 - - D5 C5 | D5 - - B4 - - G4 -"},
        {"climax-melody", notes, 2,
         "E5 - A5 - - G5 E5 - | F5 - - E5 - C5 - - | G5 - - E5 - - D5 C5 | D5 - - B4 - - G4 - |"
         "F5 - - E5 - D5 - C5 | B4 - - G#4 - - E4 ."},
    };
    return book;
}

}  // namespace music
