#pragma once

// The piece's clock: 120 beats per minute in 4/4, so a bar lasts two seconds, and the grid is
// placed so that every bar line falls on an odd second of the show (1, 3, 5, ...).
namespace music {

inline constexpr int kSampleRate = 44100;
inline constexpr double kPieceSeconds = 200.0;
inline constexpr double kBeatSeconds = 0.5;
inline constexpr int kStepsPerBeat = 4;
inline constexpr int kBeatsPerBar = 4;
inline constexpr double kBarSeconds = kBeatSeconds * kBeatsPerBar;
inline constexpr double kGridOrigin = 1.0;  // a bar line

inline constexpr long kPieceSamples = static_cast<long>(kPieceSeconds * kSampleRate);

inline long SampleAt(double seconds) {
    return static_cast<long>(seconds * kSampleRate + 0.5);
}

}  // namespace music
