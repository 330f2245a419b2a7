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

}  // namespace

void UpdateVariable(BaseVariable& track, float time) {
    uint8_t type = track.type;
    bool clockDriven = (type & CLOCK_DRIVEN) != 0;
    if (type & TYPE_CHAR) {
        EvaluateTrack<int8_t>(track, time, clockDriven);
    } else if (type & TYPE_UCHAR) {
        EvaluateTrack<uint8_t>(track, time, clockDriven);
    } else if (type & TYPE_SHORT) {
        EvaluateTrack<int16_t>(track, time, clockDriven);
    } else if (type & TYPE_USHORT) {
        EvaluateTrack<uint16_t>(track, time, clockDriven);
    } else if (type & TYPE_INT) {
        EvaluateTrack<int32_t>(track, time, clockDriven);
    } else if (type & TYPE_UINT) {
        EvaluateTrack<uint32_t>(track, time, clockDriven);
    } else if (type & TYPE_FLOAT) {
        EvaluateTrack<float>(track, time, clockDriven);
    }
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
