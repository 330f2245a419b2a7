#pragma once
#include <cstdint>
#include <limits>

// The element types a script row can register a track of.
enum ElementKind : uint8_t { CHAR, UCHAR, SHORT, USHORT, FLOAT };

// Calls visit(T{}) with the element type's value type T and returns what it returns.
template <typename Visit>
decltype(auto) WithElementType(ElementKind type, Visit&& visit) {
    switch (type) {
        case CHAR:
            return visit(int8_t{});
        case UCHAR:
            return visit(uint8_t{});
        case SHORT:
            return visit(int16_t{});
        case USHORT:
            return visit(uint16_t{});
        case FLOAT:
            break;
    }
    return visit(float{});
}

// The objects a row can target: the landscape, the wave filter or one layer of the list.
enum class Target : uint8_t { Landscape, Wave, Layer };

struct ObjectRef {
    Target target;
    uint8_t layer;  // the layer's index in the list when target is Layer
};

constexpr ObjectRef LANDSCAPE{Target::Landscape, 0};
constexpr ObjectRef WAVE{Target::Wave, 0};
constexpr ObjectRef LAYER(uint8_t index) {
    return {Target::Layer, index};
}

// A row with CLOCK as its keys is clock-driven and keeps its field's current value as keys.
constexpr float CLOCK = std::numeric_limits<float>::infinity();

// One registration: span in seconds, element type, target object and field, keys. The keys
// are floats converted to the element type at registration; `field` points at a name with
// static lifetime (a literal, or the field table's own name).
struct ScriptRow {
    float start;
    float end;
    ElementKind type;
    ObjectRef object;
    const char* field;
    float from;
    float to;
};

inline bool IsClockRow(const ScriptRow& row) {
    return row.from == CLOCK;
}
