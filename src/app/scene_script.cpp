#include "app/scene_script.h"

#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>

#include "anim/registration.h"

namespace {

enum ElementKind : uint8_t { CHAR, UCHAR, SHORT, USHORT, FLOAT };
enum class Target : uint8_t { Landscape, Wave, Layer };

struct ObjectRef {
    Target target;
    uint8_t layer;
};

constexpr ObjectRef LANDSCAPE{Target::Landscape, 0};
constexpr ObjectRef WAVE{Target::Wave, 0};
constexpr ObjectRef LAYER(uint8_t index) {
    return {Target::Layer, index};
}

// A row with CLOCK as its keys is clock-driven and keeps its field's current value as keys.
constexpr float CLOCK = std::numeric_limits<float>::infinity();
constexpr float HALF_PI = 1.5707964f;

// One registration: span in seconds, element type, target object and field, keys.
struct ScriptRow {
    float start;
    float end;
    ElementKind type;
    ObjectRef object;
    const char* field;
    float from;
    float to;
};

// The show, in registration order; the comment numbers the rows from 1.
constexpr ScriptRow SCENE_SCRIPT[] = {
    {0, 196, FLOAT, WAVE, "phase", CLOCK, CLOCK},              // 1
    {0, 1, CHAR, LANDSCAPE, "enabled", 1, 1},                  // 2
    {0, 1, UCHAR, LANDSCAPE, "viewMode", 1, 1},                // 3
    {0, 1, UCHAR, LANDSCAPE, "shadeFlags", 1, 1},              // 4
    {0, 196, FLOAT, LANDSCAPE, "lightClockX", CLOCK, CLOCK},   // 5
    {0, 196, FLOAT, LANDSCAPE, "lightClockY", CLOCK, CLOCK},   // 6
    {0, 1, FLOAT, LANDSCAPE, "scaleX", 255, 255},              // 7
    {0, 1, FLOAT, LANDSCAPE, "scaleY", 255, 255},              // 8
    {0, 196, CHAR, LANDSCAPE, "slopeBiasX", CLOCK, CLOCK},     // 9
    {0, 196, CHAR, LANDSCAPE, "slopeBiasY", CLOCK, CLOCK},     // 10
    {0, 196, FLOAT, LANDSCAPE, "advanceClock", CLOCK, CLOCK},  // 11
    {0, 1, USHORT, LANDSCAPE, "advanceRate", 150, 150},        // 12
    {0, 196, FLOAT, LANDSCAPE, "pathClockX", CLOCK, CLOCK},    // 13
    {0, 1, UCHAR, LANDSCAPE, "heightSource", 0, 0},            // 14
    {0, 1, UCHAR, LAYER(3), "visible", 1, 1},                  // 15
    {0, 6, UCHAR, LAYER(3), "amount", 255, 0},                 // 16
    {0, 1, UCHAR, LANDSCAPE, "colourSource", 3, 3},            // 17
    {6, 7, UCHAR, LAYER(3), "visible", 1, 1},                  // 18
    {6, 7, UCHAR, LAYER(3), "amount", 0, 255},                 // 19
    {7, 8, UCHAR, LANDSCAPE, "mapOffsetX", 127, 127},          // 20
    {7, 8, UCHAR, LANDSCAPE, "mapOffsetY", 127, 127},          // 21
    {7, 8, FLOAT, LANDSCAPE, "pathPhaseX", HALF_PI, HALF_PI},  // 22
    {7, 8, FLOAT, LANDSCAPE, "pathPhaseY", HALF_PI, HALF_PI},  // 23
    {7, 8, UCHAR, LAYER(3), "amount", 255, 0},                 // 24
    {8, 9, UCHAR, LAYER(3), "visible", 0, 0},                  // 25
    {10, 11, UCHAR, LAYER(3), "visible", 1, 1},                // 26
    {10, 11, UCHAR, LAYER(3), "amount", 0, 255},               // 27
    {11, 12, UCHAR, LAYER(3), "amount", 255, 0},               // 28
    {12, 13, UCHAR, LAYER(3), "visible", 0, 0},                // 29
    {13, 14, UCHAR, LAYER(10), "visible", 1, 1},               // 30
    {13, 15, UCHAR, LAYER(10), "amount", 0, 255},              // 31
    {15, 16, UCHAR, LAYER(10), "visible", 0, 0},               // 32
    {0, 1, FLOAT, WAVE, "frequency", 3, 3},                    // 33
    {0, 1, UCHAR, WAVE, "enabled", 1, 1},                      // 34
    {0, 1, SHORT, WAVE, "amplitude", 16, 16},                  // 35
    {15, 16, UCHAR, WAVE, "enabled", 0, 0},                    // 36
    {15, 16, UCHAR, LAYER(2), "visible", 1, 1},                // 37
    {15, 16, UCHAR, LAYER(2), "amount", 255, 0},               // 38
    {16, 17, UCHAR, LAYER(2), "visible", 0, 0},                // 39
    {15, 16, UCHAR, LANDSCAPE, "colourSource", 0, 0},          // 40
    {15, 16, UCHAR, WAVE, "enabled", 1, 1},                    // 41
    {15, 16, SHORT, WAVE, "amplitude", 128, 0},                // 42
    {16, 17, UCHAR, WAVE, "enabled", 0, 0},                    // 43
    {16, 17, UCHAR, LAYER(4), "visible", 1, 1},                // 44
    {16, 17, UCHAR, LAYER(4), "amount", 0, 128},               // 45
    {17, 18, UCHAR, LAYER(4), "amount", 128, 128},             // 46
    {19, 20, UCHAR, LAYER(4), "amount", 128, 0},               // 47
    {20, 21, UCHAR, LAYER(4), "visible", 0, 0},                // 48
    {22, 23, UCHAR, LAYER(5), "visible", 1, 1},                // 49
    {22, 23, UCHAR, LAYER(5), "amount", 0, 128},               // 50
    {23, 24, UCHAR, LAYER(5), "amount", 128, 128},             // 51
    {25, 26, UCHAR, LAYER(5), "amount", 128, 0},               // 52
    {26, 27, UCHAR, LAYER(5), "visible", 0, 0},                // 53
    {27, 28, FLOAT, LANDSCAPE, "lightRateX", 5, 5},            // 54
    {27, 28, FLOAT, LANDSCAPE, "lightRateY", 2, 2},            // 55
    {27, 28, UCHAR, LAYER(2), "visible", 1, 1},                // 56
    {27, 28, UCHAR, LAYER(2), "amount", 255, 0},               // 57
    {28, 29, UCHAR, LAYER(2), "visible", 0, 0},                // 58
    {29, 30, UCHAR, LAYER(6), "visible", 1, 1},                // 59
    {29, 31, UCHAR, LAYER(6), "amount", 0, 128},               // 60
    {31, 32, UCHAR, LAYER(6), "amount", 128, 128},             // 61
    {33, 35, UCHAR, LAYER(6), "amount", 128, 0},               // 62
    {35, 36, UCHAR, LAYER(6), "visible", 0, 0},                // 63
    {32, 33, UCHAR, WAVE, "enabled", 1, 1},                    // 64
    {32, 35, SHORT, WAVE, "amplitude", 0, 64},                 // 65
    {35, 37, SHORT, WAVE, "amplitude", 64, 0},                 // 66
    {37, 38, UCHAR, WAVE, "enabled", 0, 0},                    // 67
    {39, 40, UCHAR, LAYER(11), "visible", 1, 1},               // 68
    {39, 40, UCHAR, LAYER(11), "amount", 0, 128},              // 69
    {40, 41, UCHAR, LAYER(11), "amount", 128, 128},            // 70
    {45, 46, UCHAR, LAYER(11), "amount", 128, 0},              // 71
    {46, 47, UCHAR, LAYER(11), "visible", 0, 0},               // 72
    {39, 40, UCHAR, LANDSCAPE, "colourSource", 3, 3},          // 73
    {39, 40, UCHAR, LANDSCAPE, "shadeFlags", 27, 27},          // 74
    {39, 40, UCHAR, LAYER(2), "visible", 1, 1},                // 75
    {39, 40, UCHAR, LAYER(2), "amount", 255, 0},               // 76
    {40, 41, UCHAR, LAYER(2), "visible", 0, 0},                // 77
    {39, 40, UCHAR, WAVE, "enabled", 1, 1},                    // 78
    {39, 39.5, SHORT, WAVE, "amplitude", 0, 64},               // 79
    {39.5, 40.5, SHORT, WAVE, "amplitude", 64, 0},             // 80
    {40.5, 41.5, UCHAR, WAVE, "enabled", 0, 0},                // 81
    {50, 51, UCHAR, LAYER(3), "visible", 1, 1},                // 82
    {50, 51, UCHAR, LAYER(3), "amount", 0, 255},               // 83
    {51, 52, UCHAR, LAYER(3), "visible", 0, 0},                // 84
    {51, 52, UCHAR, LANDSCAPE, "viewMode", 4, 4},              // 85
    {51, 52, UCHAR, LANDSCAPE, "shadeFlags", 1, 1},            // 86
    {51, 52, UCHAR, LANDSCAPE, "colourSource", 4, 4},          // 87
    {51, 52, UCHAR, WAVE, "enabled", 1, 1},                    // 88
    {51, 52, SHORT, WAVE, "amplitude", 0, 64},                 // 89
    {52, 53, SHORT, WAVE, "amplitude", 64, 0},                 // 90
    {53, 54, UCHAR, WAVE, "enabled", 0, 0},                    // 91
    {54, 55, UCHAR, WAVE, "enabled", 1, 1},                    // 92
    {54, 55, SHORT, WAVE, "amplitude", 0, 64},                 // 93
    {55, 56, SHORT, WAVE, "amplitude", 64, 0},                 // 94
    {56, 57, UCHAR, WAVE, "enabled", 0, 0},                    // 95
    {51, 52, UCHAR, LAYER(2), "visible", 1, 1},                // 96
    {51, 52, UCHAR, LAYER(2), "amount", 255, 0},               // 97
    {52, 53, UCHAR, LAYER(2), "visible", 0, 0},                // 98
    {57, 58, UCHAR, LANDSCAPE, "viewMode", 1, 1},              // 99
    {57, 58, UCHAR, LANDSCAPE, "shadeFlags", 1, 1},            // 100
    {57, 58, UCHAR, LANDSCAPE, "colourSource", 3, 3},          // 101
    {60, 61, UCHAR, LAYER(3), "visible", 1, 1},                // 102
    {60, 61, UCHAR, LAYER(3), "amount", 0, 255},               // 103
    {61, 62, UCHAR, LAYER(3), "visible", 0, 0},                // 104
    {67, 68, UCHAR, WAVE, "enabled", 1, 1},                    // 105
    {67, 69, SHORT, WAVE, "amplitude", 0, 64},                 // 106
    {69, 71, SHORT, WAVE, "amplitude", 64, 0},                 // 107
    {71, 72, UCHAR, WAVE, "enabled", 0, 0},                    // 108
    {80, 81, UCHAR, LAYER(3), "visible", 1, 1},                // 109
    {80, 81, UCHAR, LAYER(3), "amount", 0, 255},               // 110
    {81, 82, UCHAR, LAYER(3), "amount", 255, 255},             // 111
    {90, 91, UCHAR, LANDSCAPE, "viewMode", 2, 2},              // 112
    {90, 91, UCHAR, LANDSCAPE, "shadeFlags", 3, 3},            // 113
    {90, 91, UCHAR, LANDSCAPE, "pathFlags", 9, 9},             // 114
    {90, 196, FLOAT, LANDSCAPE, "pathClockY", CLOCK, CLOCK},   // 115
    {90, 91, FLOAT, LANDSCAPE, "pathRateY", 2, 2},             // 116
    {90, 91, FLOAT, LANDSCAPE, "scaleY", -255, -255},          // 117
    {90, 91, UCHAR, LANDSCAPE, "colourSource", 5, 5},          // 118
    {90, 110, UCHAR, LAYER(3), "amount", 255, 0},              // 119
    {110, 111, UCHAR, LAYER(3), "visible", 0, 0},              // 120
    {122, 123, FLOAT, LANDSCAPE, "scaleY", 999, 999},          // 121
    {122, 123, UCHAR, WAVE, "enabled", 1, 1},                  // 122
    {122, 122.5, SHORT, WAVE, "amplitude", 0, 128},            // 123
    {122.5, 123, SHORT, WAVE, "amplitude", 128, 0},            // 124
    {123, 124, UCHAR, WAVE, "enabled", 0, 0},                  // 125
    {123, 124, FLOAT, LANDSCAPE, "scaleY", -255, -255},        // 126
    {123, 124, UCHAR, LANDSCAPE, "colourSource", 2, 2},        // 127
    {123, 124, UCHAR, LANDSCAPE, "shadeFlags", 4, 4},          // 128
    {123, 124, UCHAR, LAYER(2), "visible", 1, 1},              // 129
    {123, 124, UCHAR, LAYER(2), "amount", 255, 0},             // 130
    {124, 125, UCHAR, LAYER(2), "visible", 0, 0},              // 131
    {123, 124, FLOAT, LANDSCAPE, "scaleY", -127, -127},        // 132
    {126.5, 127.5, UCHAR, WAVE, "enabled", 1, 1},              // 133
    {126.5, 127, SHORT, WAVE, "amplitude", 0, 128},            // 134
    {127, 127.5, SHORT, WAVE, "amplitude", 128, 0},            // 135
    {127.5, 128.5, UCHAR, WAVE, "enabled", 0, 0},              // 136
    {130, 131, UCHAR, LANDSCAPE, "swayEnabled", 1, 1},         // 137
    {130, 159, FLOAT, LANDSCAPE, "swayClock", CLOCK, CLOCK},   // 138
    {130, 159, FLOAT, LANDSCAPE, "swayRate", 0, 2},            // 139
    {130, 159, UCHAR, LANDSCAPE, "swayAmount", 0, 90},         // 140
    {133, 134, UCHAR, WAVE, "enabled", 1, 1},                  // 141
    {133, 134, SHORT, WAVE, "amplitude", 0, 64},               // 142
    {134, 135, SHORT, WAVE, "amplitude", 64, 0},               // 143
    {135, 136, UCHAR, WAVE, "enabled", 0, 0},                  // 144
    {147, 148, UCHAR, LAYER(2), "visible", 1, 1},              // 145
    {147, 148, UCHAR, LAYER(2), "amount", 255, 0},             // 146
    {148, 149, UCHAR, LAYER(2), "visible", 0, 0},              // 147
    {147, 148, FLOAT, LANDSCAPE, "scaleY", 0, 0},              // 148
    {159, 160, UCHAR, LANDSCAPE, "colourSource", 4, 4},        // 149
    {159, 160, UCHAR, LANDSCAPE, "viewMode", 4, 4},            // 150
    {159, 160, UCHAR, LANDSCAPE, "shadeFlags", 1, 1},          // 151
    {159, 160, UCHAR, LAYER(2), "visible", 1, 1},              // 152
    {159, 160, UCHAR, LAYER(2), "amount", 255, 0},             // 153
    {160, 161, UCHAR, LAYER(2), "visible", 0, 0},              // 154
    {159, 160, UCHAR, LANDSCAPE, "swayEnabled", 1, 1},         // 155
    {159, 179, FLOAT, LANDSCAPE, "swayClock", CLOCK, CLOCK},   // 156
    {159, 179, FLOAT, LANDSCAPE, "swayRate", 0, 2},            // 157
    {159, 179, UCHAR, LANDSCAPE, "swayAmount", 0, 90},         // 158
    {163, 164, UCHAR, WAVE, "enabled", 1, 1},                  // 159
    {163, 164, SHORT, WAVE, "amplitude", 0, 64},               // 160
    {164, 165, SHORT, WAVE, "amplitude", 64, 0},               // 161
    {165, 166, UCHAR, WAVE, "enabled", 0, 0},                  // 162
    {171, 172, UCHAR, LAYER(2), "visible", 1, 1},              // 163
    {171, 172, UCHAR, LAYER(2), "amount", 255, 0},             // 164
    {172, 173, UCHAR, LAYER(2), "visible", 0, 0},              // 165
    {183, 184, UCHAR, LAYER(2), "visible", 1, 1},              // 166
    {183, 184, UCHAR, LAYER(2), "amount", 255, 0},             // 167
    {184, 185, UCHAR, LAYER(2), "visible", 0, 0},              // 168
    {183, 184, UCHAR, LANDSCAPE, "swayAmount", 0, 0},          // 169
    {183, 184, UCHAR, LANDSCAPE, "colourSource", 2, 2},        // 170
    {183, 184, UCHAR, LANDSCAPE, "viewMode", 1, 1},            // 171
    {183, 184, UCHAR, LANDSCAPE, "shadeFlags", 1, 1},          // 172
    {186, 187, UCHAR, LAYER(7), "visible", 1, 1},              // 173
    {186, 187, UCHAR, LAYER(7), "amount", 128, 128},           // 174
    {188, 189, UCHAR, LAYER(7), "amount", 128, 0},             // 175
    {189, 190, UCHAR, LAYER(7), "visible", 0, 0},              // 176
    {189, 190, UCHAR, LAYER(8), "visible", 1, 1},              // 177
    {189, 190, UCHAR, LAYER(8), "amount", 128, 128},           // 178
    {191, 192, UCHAR, LAYER(8), "amount", 128, 0},             // 179
    {192, 193, UCHAR, LAYER(8), "visible", 0, 0},              // 180
    {192, 193, UCHAR, LAYER(9), "visible", 1, 1},              // 181
    {192, 193, UCHAR, LAYER(9), "amount", 128, 128},           // 182
    {194, 195, UCHAR, LAYER(9), "amount", 128, 0},             // 183
    {195, 196, UCHAR, LAYER(9), "visible", 0, 0},              // 184
    {195, 196, UCHAR, LAYER(3), "visible", 1, 1},              // 185
    {195, 196, UCHAR, LAYER(3), "amount", 0, 255},             // 186
    {196, 197, UCHAR, LAYER(3), "amount", 255, 255},           // 187
};

// Address and width of a field that a row names.
struct FieldRef {
    void* address = nullptr;
    size_t width = 0;
    bool isFloat = false;
};

template <typename T>
FieldRef Ref(T& field) {
    return {&field, sizeof(T), std::is_floating_point_v<T>};
}

FieldRef LandscapeField(Landscape& l, const std::string& name) {
    const std::pair<const char*, FieldRef> fields[] = {
        {"enabled", Ref(l.enabled)},
        {"viewMode", Ref(l.viewMode)},
        {"shadeFlags", Ref(l.shadeFlags)},
        {"lightClockX", Ref(l.lightClockX)},
        {"lightClockY", Ref(l.lightClockY)},
        {"lightRateX", Ref(l.lightRateX)},
        {"lightRateY", Ref(l.lightRateY)},
        {"scaleX", Ref(l.scaleX)},
        {"scaleY", Ref(l.scaleY)},
        {"slopeBiasX", Ref(l.slopeBiasX)},
        {"slopeBiasY", Ref(l.slopeBiasY)},
        {"advanceClock", Ref(l.advanceClock)},
        {"advanceRate", Ref(l.advanceRate)},
        {"pathClockX", Ref(l.pathClockX)},
        {"pathClockY", Ref(l.pathClockY)},
        {"pathRateY", Ref(l.pathRateY)},
        {"pathPhaseX", Ref(l.pathPhaseX)},
        {"pathPhaseY", Ref(l.pathPhaseY)},
        {"pathFlags", Ref(l.pathFlags)},
        {"heightSource", Ref(l.heightSource)},
        {"colourSource", Ref(l.colourSource)},
        {"mapOffsetX", Ref(l.mapOffsetX)},
        {"mapOffsetY", Ref(l.mapOffsetY)},
        {"swayEnabled", Ref(l.swayEnabled)},
        {"swayClock", Ref(l.swayClock)},
        {"swayRate", Ref(l.swayRate)},
        {"swayAmount", Ref(l.swayAmount)},
    };
    for (const auto& [fieldName, ref] : fields) {
        if (name == fieldName) {
            return ref;
        }
    }
    return {};
}

FieldRef WaveField(WaveFilter& wave, const std::string& name) {
    if (name == "phase")
        return Ref(wave.phase);
    if (name == "enabled")
        return Ref(wave.enabled);
    if (name == "amplitude")
        return Ref(wave.amplitude);
    if (name == "frequency")
        return Ref(wave.frequency);
    return {};
}

FieldRef LayerField(LayerList& layers, uint8_t index, const std::string& name) {
    if (index >= layers.items.size() || layers.items[index] == nullptr) {
        return {};
    }
    Layer& layer = *layers.items[index];
    if (name == "visible")
        return Ref(layer.visible);
    if (name == "amount")
        return Ref(layer.amount);
    return {};
}

struct SceneObjects {
    Landscape& landscape;
    WaveFilter& wave;
    LayerList& layers;
};

FieldRef ResolveField(SceneObjects& objects, const ScriptRow& row) {
    switch (row.object.target) {
        case Target::Landscape:
            return LandscapeField(objects.landscape, row.field);
        case Target::Wave:
            return WaveField(objects.wave, row.field);
        case Target::Layer:
            return LayerField(objects.layers, row.object.layer, row.field);
    }
    return {};
}

template <typename T>
void RegisterRow(VariableList& list, const ScriptRow& row, void* address) {
    T* target = static_cast<T*>(address);
    if (row.from == CLOCK) {
        AddVariable<T>(list, row.start, row.end, target, *target, *target, CLOCK_DRIVEN);
    } else {
        AddVariable<T>(list, row.start, row.end, target, static_cast<T>(row.from), static_cast<T>(row.to));
    }
}

size_t WidthOf(ElementKind type) {
    switch (type) {
        case CHAR:
        case UCHAR:
            return 1;
        case SHORT:
        case USHORT:
            return 2;
        case FLOAT:
            return 4;
    }
    return 0;
}

// A track writes its field with its own element type, so the two must have one width and
// both be floats or both integers (row 2 writes the unsigned `enabled` as a char).
void CheckField(const ScriptRow& row, const FieldRef& ref) {
    bool fits =
        ref.address != nullptr && ref.width == WidthOf(row.type) && ref.isFloat == (row.type == FLOAT);
    if (!fits) {
        throw std::logic_error(std::string("scene script: row on field '") + row.field +
                               "' has no matching target");
    }
}

}  // namespace

void RegisterSceneScript(VariableList& list, Landscape& landscape, WaveFilter& wave, LayerList& layers) {
    SceneObjects objects{landscape, wave, layers};
    for (const ScriptRow& row : SCENE_SCRIPT) {
        FieldRef ref = ResolveField(objects, row);
        CheckField(row, ref);
        switch (row.type) {
            case CHAR:
                RegisterRow<int8_t>(list, row, ref.address);
                break;
            case UCHAR:
                RegisterRow<uint8_t>(list, row, ref.address);
                break;
            case SHORT:
                RegisterRow<int16_t>(list, row, ref.address);
                break;
            case USHORT:
                RegisterRow<uint16_t>(list, row, ref.address);
                break;
            case FLOAT:
                RegisterRow<float>(list, row, ref.address);
                break;
        }
    }
}
