#include "chord_timeline.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "timing.h"

namespace music {

namespace {

std::vector<Chord> ParseProgression(std::string_view progression) {
    std::vector<Chord> chords;
    while (!progression.empty()) {
        const auto begin = progression.find_first_not_of(' ');
        if (begin == std::string_view::npos) {
            break;
        }
        progression.remove_prefix(begin);
        const auto length = std::min(progression.find(' '), progression.size());
        const auto symbol = progression.substr(0, length);
        const auto chord = ParseChord(symbol);
        if (!chord) {
            throw std::invalid_argument("unknown chord \"" + std::string(symbol) + "\"");
        }
        chords.push_back(*chord);
        progression.remove_prefix(length);
    }
    return chords;
}

}  // namespace

ChordTimeline::ChordTimeline(const std::vector<ChordSpan>& spans) {
    for (const ChordSpan& span : spans) {
        const std::vector<Chord> chords = ParseProgression(span.progression);
        const double length = span.beatsPerChord * kBeatSeconds;
        if (chords.empty() || length <= 0.0) {
            throw std::invalid_argument("empty chord progression at " + std::to_string(span.start) + " s");
        }
        for (int i = 0; span.start + i * length < span.end; ++i) {
            const double start = span.start + i * length;
            entries.push_back({start, std::min(start + length, span.end), chords[i % chords.size()]});
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.start < b.start; });
}

const ChordTimeline::Entry* ChordTimeline::At(double seconds) const {
    const auto after = std::upper_bound(entries.begin(), entries.end(), seconds,
                                        [](double t, const Entry& entry) { return t < entry.start; });
    if (after == entries.begin() || seconds >= (after - 1)->end) {
        return nullptr;
    }
    return &*(after - 1);
}

}  // namespace music
