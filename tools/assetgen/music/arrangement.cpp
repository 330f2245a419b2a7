#include "arrangement.h"

// The soundtrack, section by section, following what the show puts on screen. Bar lines fall on
// odd seconds (1, 3, 5, ...), so every cut of the show at an odd second lands on a downbeat.
namespace music {

namespace {

std::vector<ChordSpan> Chords() {
    return {
        {-1, 15, "Am F C G", 8},  // intro, two bars a chord; the cut at 7 s moves to C
        {15, 39, "Am F C G", 4},
        {39, 51, "F G Em Am", 4},  // the lift under the title
        {51, 57, "Am G F", 4},     // the radial view
        {57, 79, "Am F C G", 4},
        {79, 89, "Am", 20},         // the black screen
        {89, 121, "Am F Dm E", 8},  // the tunnel
        {121, 123, "E", 4},
        {123, 131, "Am F", 4},      // after the jolt
        {131, 147, "Am F C G", 8},  // the sway builds
        {147, 159, "F G Am F G E", 4},
        {159, 183, "Am F C G Dm E", 4},  // climax
        {183, 187, "F G", 4},            // ending
        {187, 191, "Esus4 E", 4},
        {191, 200, "Am", 18},
    };
}

std::vector<Clip> Clips() {
    using enum Lane;
    return {
        // 0-15: a quiet pad over a low drone, fading in with the picture; plucks after the cut at 7 s.
        {0, 15, pad, "sustain"},
        {0, 15, drone, "sustain"},
        {7, 15, arp, "arp-slow", 0.6f},

        // 15-27: drums and bass enter with the flash at 15 s, under texts 1 and 2.
        {15, 27, kick, "four"},
        {15, 27, hat, "offbeat", 0.8f},
        {15, 27, bass, "bass-offbeat"},
        {15, 39, pad, "sustain"},
        {15, 39, arp, "arp-up", 0.7f},
        {25, 27, snare, "roll", 0.6f},

        // 27-39: building through text 3: claps, sixteenth hats, a rolling bass.
        {27, 39, kick, "four"},
        {27, 37, clap, "backbeat"},
        {27, 39, hat, "sixteenths"},
        {31, 39, openHat, "offbeat"},
        {27, 37, bass, "bass-rolling"},
        {37, 39, bass, "bass-long"},
        {37, 39, snare, "roll", 0.8f},

        // 39-51: the lift with the title: new chords and a melody; drums stop as the screen fades.
        {39, 50, kick, "four"},
        {39, 50, clap, "backbeat"},
        {39, 50, hat, "sixteenths"},
        {39, 50, openHat, "offbeat"},
        {39, 50, bass, "bass-rolling"},
        {39, 51, pad, "sustain"},
        {39, 51, arp, "arp-wide"},
        {39, 51, lead, "lift-melody"},
        {49, 51, snare, "fill"},

        // 51-80: driving through the radial view and after it; a fill under the dip at 60 s.
        {51, 60, kick, "four"},
        {61, 80, kick, "four"},
        {51, 60, clap, "backbeat"},
        {61, 80, clap, "backbeat"},
        {51, 60, hat, "sixteenths"},
        {61, 80, hat, "sixteenths"},
        {51, 60, openHat, "offbeat"},
        {61, 80, openHat, "offbeat"},
        {59, 61, snare, "fill"},
        {51, 80, bass, "bass-drive"},
        {51, 80, pad, "sustain"},
        {51, 80, arp, "arp-up"},
        {65, 79, lead, "hook"},

        // 80-90: the screen is black; only a faint drone.
        {81, 90, drone, "sustain"},

        // 90-122: the tunnel swells from nothing: pad, then pulse bass, plucks, kick, hats, claps.
        {90, 122, pad, "sustain"},
        {91, 122, bass, "bass-pulse"},
        {95, 122, arp, "arp-up"},
        {99, 107, kick, "two"},
        {107, 122, kick, "four"},
        {103, 111, hat, "offbeat"},
        {111, 122, hat, "sixteenths"},
        {111, 117, clap, "backbeat"},
        {117, 121, snare, "roll"},
        {121, 122, snare, "build"},

        // 123-130: half time after the jolt.
        {123, 131, kick, "half"},
        {123, 131, snare, "half-back", 0.9f},
        {123, 131, hat, "offbeat"},
        {123, 131, bass, "bass-half"},
        {123, 131, pad, "sustain"},

        // 130-159: the sway: plucks from 130 s opening up, the groove filling in, a roll into the climax.
        {130, 159, arp, "arp-up"},
        {131, 157, kick, "four"},
        {131, 147, bass, "bass-offbeat"},
        {147, 157, bass, "bass-rolling"},
        {157, 159, bass, "bass-long"},
        {131, 139, hat, "offbeat"},
        {139, 157, hat, "sixteenths"},
        {139, 157, clap, "backbeat"},
        {147, 157, openHat, "offbeat"},
        {131, 159, pad, "sustain"},
        {155, 159, snare, "roll"},

        // 159-183: climax; the melody comes back at 171 s doubled an octave up.
        {159, 181, kick, "four"},
        {159, 181, clap, "backbeat"},
        {159, 181, hat, "sixteenths"},
        {159, 181, openHat, "offbeat"},
        {159, 183, bass, "bass-drive"},
        {159, 183, pad, "sustain"},
        {159, 183, arp, "arp-wide"},
        {159, 183, lead, "climax-melody"},
        {171, 183, lead, "climax-melody", 0.55f, 12},
        {181, 183, snare, "roll"},

        // 183-196: the ending resolves under the last texts and fades out.
        {183, 189, kick, "four"},
        {183, 189, hat, "offbeat", 0.7f},
        {183, 191, bass, "bass-long"},
        {183, 200, pad, "sustain"},
        {183, 195, arp, "arp-slow", 0.8f},
    };
}

std::vector<OneShot> OneShots() {
    using enum Lane;
    // start, lane, length, pitch, velocity
    return {
        // Intro: a bell on the cut at 7 s, a riser through the fade to black.
        {7, bell, 1, "E5", 0.5f},
        {13, riser, 2, "", 0.7f},
        // Each flash and cut of the show gets a crash, the bigger ones an impact too.
        {15, crash, 1, "", 1.0f},
        {15, impact, 1, "", 0.5f},
        {27, crash, 1, "", 1.0f},
        {35, riser, 4, "", 0.8f},
        {39, crash, 1, "", 1.0f},
        {39, impact, 1, "", 0.7f},
        {49, riser, 2, "", 0.9f},
        {51, crash, 1, "", 1.0f},
        {51, impact, 1, "", 0.8f},
        {57, crash, 1, "", 1.0f},
        {61, crash, 1, "", 0.8f},
        {67, riser, 2, "", 0.6f},  // the wave swell
        {69, crash, 1, "", 0.8f},
        // The tunnel's long riser into the jolt at 122 s, the downbeat at 123 s, the wave burst.
        {115, riser, 7, "", 1.0f},
        {122, impact, 1, "", 1.0f},
        {122, crash, 1, "", 1.0f},
        {123, crash, 1, "", 1.0f},
        {126.5, impact, 1, "", 0.4f},
        // The sway and the climax.
        {147, crash, 1, "", 1.0f},
        {147, impact, 1, "", 0.5f},
        {153, riser, 6, "", 1.0f},
        {159, crash, 1, "", 1.0f},
        {159, impact, 1, "", 1.0f},
        {171, crash, 1, "", 1.0f},
        {171, impact, 1, "", 0.5f},
        {179, riser, 4, "", 0.9f},
        {183, crash, 1, "", 1.0f},
        {183, impact, 1, "", 0.7f},
        // A falling bell line as texts 4, 5 and 6 appear.
        {186, bell, 1, "E5", 0.6f},
        {189, bell, 1, "B4", 0.6f},
        {192, bell, 1, "A4", 0.6f},
    };
}

std::vector<Ramp> Ramps() {
    using enum Lane;
    using enum Param;
    return {
        // Intro: the pad fades in with the picture and opens up; the drone gives way at 15 s.
        {pad, level, 0, 6, -30, 0},
        {pad, brightness, 0, 15, 400, 1800},
        {drone, level, 0, 4, -20, 0},
        {drone, level, 13, 16, 0, -40},
        {arp, level, 7, 15, -6, 0},
        {arp, brightness, 7, 15, 500, 1200},

        // Building through the texts.
        {master, level, 15, 15, -4, -4},
        {master, level, 27, 39, -4, -2},
        {master, level, 39, 39, -1, -1},
        {master, level, 51, 51, 0, 0},
        {pad, brightness, 15, 39, 1800, 3000},
        {arp, brightness, 15, 39, 1000, 3500},
        {bass, brightness, 15, 39, 400, 900},
        {pad, brightness, 39, 40, 3000, 4000},

        // The black screen: everything stops on the third beat at 80 s, the room dies away,
        // and a drone hangs at the edge of hearing until the tunnel begins.
        {master, level, 80, 80.1, 0, -60},
        {master, level, 81.5, 83, -60, 0},
        {drone, level, 81, 85, -40, -26},
        {drone, level, 88, 91, -26, -60},

        // The tunnel swells.
        {pad, level, 90, 106, -18, 0},
        {pad, brightness, 90, 122, 500, 3500},
        {bass, level, 91, 107, -8, 0},
        {bass, brightness, 91, 122, 250, 1200},
        {arp, level, 95, 111, -18, 0},
        {arp, brightness, 95, 122, 400, 4000},

        // Half time after the jolt, then the sway: the plucks open up over the whole build.
        {master, level, 122, 122, -1, -1},
        // A breath before the downbeat at 123 s: the jolt's crash and impact ring loud into it,
        // so the mix dips for the last 40 ms and the cut lands on a rise like the other cuts'.
        {master, level, 122.94, 122.96, -1, -7},
        {master, level, 122.999, 123, -7, -1},
        {master, level, 130, 159, -5, -1},
        {pad, brightness, 123, 124, 2000, 2000},
        {arp, level, 130, 140, -10, 0},
        {arp, brightness, 130, 159, 400, 5000},
        {pad, brightness, 131, 159, 800, 3500},
        {snare, level, 155, 159, -8, 0},

        // Climax, then the ending darkens and fades out by 196 s.
        {master, level, 159, 159, 1.5, 1.5},
        {pad, brightness, 159, 160, 4000, 4500},
        {master, level, 183, 187, 1.5, -1},
        {pad, brightness, 183, 196, 3000, 800},
        {arp, brightness, 183, 195, 3000, 600},
        {master, level, 189, 194, -1, -12},
        {master, level, 194, 196, -12, -70},
        {master, level, 196, 200, -120, -120},
    };
}

}  // namespace

const Arrangement& ThePiece() {
    static const Arrangement piece{Chords(), Clips(), OneShots(), Ramps()};
    return piece;
}

}  // namespace music
