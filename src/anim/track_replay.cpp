#include "anim/track_replay.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <unordered_map>
#include <utility>

#include "anim/evaluation.h"

namespace {

using Span = TrackReplay::Span;

// A float's bits as an unsigned key in the float's order (for every value but NaN).
uint32_t OrderedBits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return (bits & 0x80000000u) ? ~bits : bits | 0x80000000u;
}

// The spans ordered by start or by end, equal keys in registration order (the order they come
// in): a radix sort in four passes of a byte, as comparison sorts would take most of the time of
// a seek with 65535 tracks.
std::vector<Span> SortedBy(const std::vector<Span>& spans, float Span::*key) {
    std::vector<uint64_t> entries(spans.size()), sorted(spans.size());
    for (size_t i = 0; i < spans.size(); ++i) {
        entries[i] = uint64_t{OrderedBits(spans[i].*key)} << 32 | i;
    }
    for (int shift = 32; shift < 64; shift += 8) {
        size_t counts[257] = {};
        for (const uint64_t entry : entries) {
            ++counts[(entry >> shift & 0xFF) + 1];
        }
        std::partial_sum(std::begin(counts), std::end(counts), std::begin(counts));
        for (const uint64_t entry : entries) {
            sorted[counts[entry >> shift & 0xFF]++] = entry;
        }
        entries.swap(sorted);
    }
    std::vector<Span> result(spans.size());
    std::transform(entries.begin(), entries.end(), result.begin(),
                   [&](uint64_t entry) { return spans[static_cast<uint32_t>(entry)]; });
    return result;
}

// Still writes at `time`: not past its end, and not retired by an earlier pass (whose time,
// no later than this one's, reached the end).
bool StillWrites(const TrackReplay& replay, const Span& span, float time) {
    return time <= span.end && (replay.passes == 0 || replay.lastTime < span.end);
}

bool EarlierTrack(const Span& a, const Span& b) {
    return a.track < b.track;
}

// Puts each track that reaches its span by `time` among its field's started tracks. One that
// is already past its end at its first pass never writes, as the times only grow.
void StartReachedTracks(TrackReplay& replay, float time) {
    while (replay.nextToStart < replay.byStart.size() && replay.byStart[replay.nextToStart].start <= time) {
        const Span& span = replay.byStart[replay.nextToStart++];
        if (!StillWrites(replay, span, time)) {
            continue;
        }
        const uint32_t field = replay.fieldOf[span.track];
        std::vector<Span>& started = replay.fields[field].started;
        if (started.empty()) {
            replay.written.push_back(field);
        }
        started.push_back(span);
        std::push_heap(started.begin(), started.end(), EarlierTrack);
    }
}

// The field's latest registered track that still writes at `time`, after dropping the ones
// that no longer do; nullptr when none is left.
const Span* FindWriter(const TrackReplay& replay, std::vector<Span>& started, float time) {
    while (!started.empty()) {
        if (StillWrites(replay, started.front(), time)) {
            return &started.front();
        }
        std::pop_heap(started.begin(), started.end(), EarlierTrack);
        started.pop_back();
    }
    return nullptr;
}

void RetireReachedTracks(TrackReplay& replay, VariableList& list, float time) {
    while (replay.nextToRetire < replay.byEnd.size() && replay.byEnd[replay.nextToRetire].end <= time) {
        list.items[replay.byEnd[replay.nextToRetire++].track]->active = 0;
    }
}

}  // namespace

void StartReplay(TrackReplay& replay, VariableList& list) {
    RearmVariables(list);
    replay = TrackReplay{};
    replay.fieldOf.resize(list.count);
    std::vector<Span> writing, retiring;
    std::unordered_map<void*, uint32_t> fieldAt;
    for (uint16_t i = 0; i < list.count; ++i) {
        BaseVariable& track = *list.items[i];
        const Span span{track.start, track.end, i};
        // A track writes at some time if it has a field and a span that is not inverted (which a
        // missing (NaN) bound rules out as well).
        void* target = TargetOf(track);
        if (target != nullptr && track.start <= track.end) {
            const auto [entry, added] =
                fieldAt.try_emplace(target, static_cast<uint32_t>(replay.fields.size()));
            if (added) {
                replay.fields.emplace_back();
            }
            replay.fieldOf[i] = entry->second;
            writing.push_back(span);
        }
        // It retires if it has an element type and an end.
        if ((track.type & ~CLOCK_DRIVEN) != 0 && !std::isnan(track.end)) {
            retiring.push_back(span);
        }
    }
    replay.byStart = SortedBy(writing, &Span::start);
    replay.byEnd = SortedBy(retiring, &Span::end);
}

void ReplayVariables(TrackReplay& replay, VariableList& list, float time) {
    StartReachedTracks(replay, time);
    size_t kept = 0;
    for (const uint32_t field : replay.written) {
        if (const Span* writer = FindWriter(replay, replay.fields[field].started, time)) {
            UpdateVariable(*list.items[writer->track], time);
            replay.written[kept++] = field;
        }
    }
    replay.written.resize(kept);
    RetireReachedTracks(replay, list, time);
    ++replay.passes;
    replay.lastTime = time;
}
