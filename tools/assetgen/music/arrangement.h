#pragma once
#include <string_view>
#include <vector>

// The piece as data: which chords sound when, which pattern each instrument plays over which
// span of the show, single hits, and the fader and filter moves. Times are seconds of the show.
namespace music {

enum class Lane {
    kick,
    snare,
    clap,
    hat,
    openHat,
    crash,
    impact,
    riser,
    bass,
    pad,
    drone,
    arp,
    lead,
    bell,
    master
};
inline constexpr int kLaneCount = static_cast<int>(Lane::master) + 1;

// A progression of chord symbols ("Am F C G") cycling over [start, end), each lasting
// `beatsPerChord` beats from `start`.
struct ChordSpan {
    double start = 0.0;
    double end = 0.0;
    std::string_view progression;
    double beatsPerChord = 4.0;
};

// A lane plays the named pattern over [start, end), repeated from the bar line at or before
// `start`. `transpose` shifts every pitch by that many semitones.
struct Clip {
    double start = 0.0;
    double end = 0.0;
    Lane lane = Lane::kick;
    std::string_view pattern;
    float velocity = 1.0f;
    int transpose = 0;
};

// A single event: a crash, an impact, a riser ending at start + length, a bell note.
struct OneShot {
    double start = 0.0;
    Lane lane = Lane::crash;
    double length = 1.0;
    std::string_view pitch;  // a note name for pitched lanes, empty otherwise
    float velocity = 1.0f;
};

// What a ramp moves: a lane's level in dB, or its filter cutoff (brightness) in Hz.
enum class Param { level, brightness };

// Moves a lane's parameter linearly from `from` to `to` over [start, end); afterwards the value
// stays at `to` until the next ramp of that lane and parameter.
struct Ramp {
    Lane lane = Lane::master;
    Param param = Param::level;
    double start = 0.0;
    double end = 0.0;
    float from = 0.0f;
    float to = 0.0f;
};

struct Arrangement {
    std::vector<ChordSpan> chords;
    std::vector<Clip> clips;
    std::vector<OneShot> oneShots;
    std::vector<Ramp> ramps;
};

// The show's soundtrack.
const Arrangement& ThePiece();

}  // namespace music
