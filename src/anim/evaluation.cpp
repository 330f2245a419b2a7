#include "anim/evaluation.h"

#include <cmath>
#include <cstdint>
#include <type_traits>

#include "anim/demo_clock.h"

namespace {

// Truncates toward zero; values no integer can hold (never produced by a span of the
// script) saturate instead of being undefined.
int64_t TruncateTowardZero(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= 9223372036854775807.0) {
        return INT64_MAX;
    }
    if (value <= -9223372036854775808.0) {
        return INT64_MIN;
    }
    return static_cast<int64_t>(value);
}

// Stores a value computed in double precision as the element type: floats are rounded to
// the nearest float, integers truncated toward zero and cut to their width.
template <typename T>
T ConvertToElement(double value) {
    if constexpr (std::is_floating_point_v<T>) {
        return static_cast<T>(value);
    } else {
        return static_cast<T>(TruncateTowardZero(value));
    }
}

// Position of `time` in the span as a float, from 0 at start to 1 at end. A span of zero
// length sits wholly at its end, so it writes `to`.
double SpanPosition(const TimeTag& span, float time) {
    if (span.end == span.start) {
        return 1.0;
    }
    double u = (static_cast<double>(time) - span.start) / (static_cast<double>(span.end) - span.start);
    return static_cast<float>(u);
}

template <typename T>
void EvaluateTrack(BaseVariable& track, float time, bool clockDriven) {
    Value<T> view;
    track.GetValue(&view);
    bool inSpan = track.start <= time && track.active != 0 && time <= track.end;
    if (inSpan && view.target != nullptr) {
        if (clockDriven) {
            *view.target = ConvertToElement<T>(demoTimeTens);
        } else {
            double u = SpanPosition(track, time);
            double blend = static_cast<double>(view.from) * (1.0 - u) + static_cast<double>(view.to) * u;
            *view.target = ConvertToElement<T>(blend);
        }
    }
    if (track.end <= time) {
        track.active = 0;
    }
}

// Calls visit(T{}) with the element type of the track's type byte, the first tag bit set
// deciding; visits nothing for a type byte without an element type.
template <typename Visit>
void WithTrackType(uint8_t type, Visit&& visit) {
    if (type & TYPE_CHAR) {
        visit(int8_t{});
    } else if (type & TYPE_UCHAR) {
        visit(uint8_t{});
    } else if (type & TYPE_SHORT) {
        visit(int16_t{});
    } else if (type & TYPE_USHORT) {
        visit(uint16_t{});
    } else if (type & TYPE_INT) {
        visit(int32_t{});
    } else if (type & TYPE_UINT) {
        visit(uint32_t{});
    } else if (type & TYPE_FLOAT) {
        visit(float{});
    }
}

}  // namespace

void UpdateVariable(BaseVariable& track, float time) {
    const bool clockDriven = (track.type & CLOCK_DRIVEN) != 0;
    WithTrackType(track.type,
                  [&](auto element) { EvaluateTrack<decltype(element)>(track, time, clockDriven); });
}

void* TargetOf(BaseVariable& track) {
    void* target = nullptr;
    WithTrackType(track.type, [&](auto element) {
        Value<decltype(element)> view;
        track.GetValue(&view);
        target = view.target;
    });
    return target;
}

void UpdateVariables(VariableList& list, float time) {
    for (uint16_t i = 0; i < list.count; ++i) {
        UpdateVariable(*list.items[i], time);
    }
}

void RearmVariables(VariableList& list) {
    for (auto& track : list.items) {
        track->active = 1;
    }
}
