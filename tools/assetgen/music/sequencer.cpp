#include "sequencer.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "pattern.h"
#include "timing.h"

namespace music {

namespace {

constexpr double kEpsilon = 1e-9;

bool DependsOnChord(PatternKind kind) {
    return kind == PatternKind::rootOffsets || kind == PatternKind::chordTones ||
           kind == PatternKind::sustain;
}

std::vector<int> PitchesOf(PatternKind kind, int value, const Chord* chord, int lowest, int transpose) {
    if (kind == PatternKind::drum || (DependsOnChord(kind) && chord == nullptr)) {
        return {};
    }
    std::vector<int> pitches;
    switch (kind) {
        case PatternKind::rootOffsets:
            pitches = {ChordTone(*chord, lowest, 0) + value};
            break;
        case PatternKind::chordTones:
            pitches = {ChordTone(*chord, lowest, value)};
            break;
        case PatternKind::notes:
            pitches = {value};
            break;
        default:
            pitches = VoiceChord(*chord, lowest);
            break;
    }
    for (int& pitch : pitches) {
        pitch += transpose;
    }
    return pitches;
}

// Collects the notes of one clip, closing a note at the next hit, rest or chord change.
struct ClipWriter {
    const Clip& clip;
    const Pattern& pattern;
    const LaneVoicing& voicing;
    std::vector<Note>& notes;
    bool open = false;
    Step step;
    const ChordTimeline::Entry* chord = nullptr;
    double start = 0.0;

    void Open(double time, const Step& openedStep, const ChordTimeline::Entry* openedChord) {
        open = true;
        start = time;
        step = openedStep;
        chord = openedChord;
    }

    void Close(double time) {
        if (!open) {
            return;
        }
        open = false;
        std::vector<int> pitches = PitchesOf(pattern.kind, step.value, chord ? &chord->chord : nullptr,
                                             voicing.lowestPitch, clip.transpose);
        if (pattern.kind == PatternKind::drum || !pitches.empty()) {
            notes.push_back({start, time - start, std::move(pitches), step.velocity * clip.velocity, 0.0f});
        }
    }
};

void SequenceSustain(const Clip& clip, const ChordTimeline& chords, const LaneVoicing& voicing,
                     std::vector<Note>& notes) {
    for (const ChordTimeline::Entry& entry : chords.entries) {
        const double start = std::max(entry.start, clip.start);
        const double end = std::min(entry.end, clip.end);
        if (end > start + kEpsilon) {
            notes.push_back(
                {start, end - start,
                 PitchesOf(PatternKind::sustain, 0, &entry.chord, voicing.lowestPitch, clip.transpose),
                 clip.velocity, 0.0f});
        }
    }
}

void SequenceClip(const Clip& clip, const ChordTimeline& chords, const LaneVoicing& voicing,
                  std::vector<Note>& notes) {
    const Pattern pattern = FindPattern(clip.pattern);
    if (pattern.kind == PatternKind::sustain) {
        SequenceSustain(clip, chords, voicing, notes);
        return;
    }
    const double stepSeconds = kBeatSeconds / pattern.stepsPerBeat;
    const long stepsPerBar = static_cast<long>(pattern.stepsPerBeat) * kBeatsPerBar;
    const long firstStep =
        static_cast<long>(std::floor((clip.start - kGridOrigin) / kBarSeconds + kEpsilon)) * stepsPerBar;
    const long patternLength = static_cast<long>(pattern.steps.size());
    ClipWriter writer{clip, pattern, voicing, notes, false, {}, nullptr, 0.0};
    for (long k = firstStep;; ++k) {
        const double time = kGridOrigin + k * stepSeconds;
        if (time >= clip.end - kEpsilon) {
            break;
        }
        if (time < clip.start - kEpsilon) {
            continue;
        }
        const Step& step = pattern.steps[(k - firstStep) % patternLength];
        const ChordTimeline::Entry* chord = chords.At(time + kEpsilon);
        if (step.kind == StepKind::hit) {
            writer.Close(time);
            writer.Open(time, step, chord);
        } else if (step.kind == StepKind::rest) {
            writer.Close(time);
        } else if (writer.open && DependsOnChord(pattern.kind) && chord != writer.chord) {
            const Step held = writer.step;
            writer.Close(time);
            writer.Open(time, held, chord);
        }
    }
    writer.Close(clip.end);
}

Note OneShotNote(const OneShot& shot) {
    Note note{shot.start, shot.length, {}, shot.velocity, 0.0f};
    if (!shot.pitch.empty()) {
        const auto pitch = ParseNoteName(shot.pitch);
        if (!pitch) {
            throw std::invalid_argument("unknown note \"" + std::string(shot.pitch) + "\"");
        }
        note.pitches.push_back(*pitch);
    }
    return note;
}

}  // namespace

std::vector<Note> SequenceLane(const Arrangement& arrangement, const ChordTimeline& chords, Lane lane,
                               const LaneVoicing& voicing) {
    std::vector<Note> notes;
    for (const Clip& clip : arrangement.clips) {
        if (clip.lane == lane) {
            SequenceClip(clip, chords, voicing, notes);
        }
    }
    for (const OneShot& shot : arrangement.oneShots) {
        if (shot.lane == lane) {
            notes.push_back(OneShotNote(shot));
        }
    }
    std::stable_sort(notes.begin(), notes.end(),
                     [](const Note& a, const Note& b) { return a.start < b.start; });
    for (size_t i = 0; i < notes.size(); ++i) {
        notes[i].pan = (i % 2 == 0 ? -1.0f : 1.0f) * voicing.alternatePan;
    }
    return notes;
}

}  // namespace music
