#include "generated_script.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

#include "script/script_fields.h"

namespace {

struct NamedField {
    Target target;
    const char* name;
    float low;  // the values the keys are drawn from
    float high;
    bool drawsOverTheShow = false;  // a row over the whole show takes values that draw the landscape
};

constexpr NamedField FIELDS[] = {
    {Target::Landscape, "enabled", 0, 2, true},
    {Target::Landscape, "viewMode", 0, 8, true},
    {Target::Landscape, "shadeFlags", 0, 32},
    {Target::Landscape, "lightClockX", -20, 20},
    {Target::Landscape, "lightClockY", -20, 20},
    {Target::Landscape, "lightRateX", -5, 5},
    {Target::Landscape, "lightRateY", -5, 5},
    {Target::Landscape, "scaleX", -300, 300},
    {Target::Landscape, "scaleY", -1000, 1000},
    {Target::Landscape, "slopeBiasX", -100, 100},
    {Target::Landscape, "slopeBiasY", -100, 100},
    {Target::Landscape, "advanceClock", 0, 20},
    {Target::Landscape, "advanceRate", 0, 400},
    {Target::Landscape, "pathClockX", 0, 20},
    {Target::Landscape, "pathClockY", 0, 20},
    {Target::Landscape, "pathRateX", -4, 4},
    {Target::Landscape, "pathRateY", -4, 4},
    {Target::Landscape, "pathPhaseX", -4, 4},
    {Target::Landscape, "pathPhaseY", -4, 4},
    {Target::Landscape, "pathFlags", 0, 4},
    {Target::Landscape, "heightSource", 0, 3, true},
    {Target::Landscape, "colourSource", 0, 8, true},
    {Target::Landscape, "clearValue", 0, 255},
    {Target::Landscape, "columnShift", -1, 1},
    {Target::Landscape, "mapOffsetX", 0, 255},
    {Target::Landscape, "mapOffsetY", 0, 255},
    {Target::Landscape, "swayEnabled", 0, 2},
    {Target::Landscape, "swayClock", 0, 20},
    {Target::Landscape, "swayRate", 0, 2},
    {Target::Landscape, "swayAmount", 0, 90},
    {Target::Wave, "phase", -1e-6f, 1e-6f},
    {Target::Wave, "enabled", 0, 2},
    {Target::Wave, "amplitude", -20, 130},
    {Target::Wave, "frequency", 0, 5},
    {Target::Layer, "visible", 0, 2},
    {Target::Layer, "amount", 0, 255},
};

// Where the grids of 60 and of 7 passes a second have a pass, or anywhere in the show.
float SpanEdge(std::mt19937& random) {
    switch (random() % 3) {
        case 0:
            return static_cast<float>(random() % 11761 * 1000 / 60) / 1000.0f;
        case 1:
            return static_cast<float>(random() % 1373 * 1000 / 7) / 1000.0f;
        default:
            return static_cast<float>(random() % 196000) / 1000.0f;
    }
}

// A value from the field's range, made a whole number the element type holds for the integers.
float Key(std::mt19937& random, const NamedField& field, ElementKind type) {
    const float value = std::uniform_real_distribution<float>(field.low, field.high)(random);
    switch (type) {
        case CHAR:
            return std::clamp(std::trunc(value), -128.0f, 127.0f);
        case UCHAR:
            return std::clamp(std::fabs(std::trunc(value)), 0.0f, 255.0f);
        case SHORT:
            return std::trunc(value);
        case USHORT:
            return std::fabs(std::trunc(value));
        case FLOAT:
            break;
    }
    return value;
}

// A value of a drawsOverTheShow field with which the landscape draws.
float DrawingKey(std::mt19937& random, std::string_view name) {
    if (name == "enabled") {
        return 1.0f;
    }
    if (name == "viewMode") {
        return static_cast<float>(1 + random() % 7);
    }
    return static_cast<float>(random() % (name == "heightSource" ? 2 : 6));
}

ElementKind TypeOf(const FieldInfo& info, std::mt19937& random) {
    if (info.isFloat) {
        return FLOAT;
    }
    const bool isSigned = random() % 2 == 0;
    if (info.width == 1) {
        return isSigned ? CHAR : UCHAR;
    }
    return isSigned ? SHORT : USHORT;
}

}  // namespace

std::vector<ScriptRow> GeneratedScript(uint32_t seed, size_t rows) {
    std::mt19937 random(seed);
    std::vector<ScriptRow> script;
    script.reserve(rows);
    for (size_t i = 0; i < rows; ++i) {
        const NamedField& field = FIELDS[random() % std::size(FIELDS)];
        const FieldInfo* info = FindField(field.target, field.name);
        if (info == nullptr) {
            throw std::logic_error(std::string("no field ") + field.name);
        }
        const ElementKind type = TypeOf(*info, random);
        const ObjectRef object = field.target == Target::Layer
                                     ? LAYER(static_cast<uint8_t>(random() % LAYER_COUNT))
                                     : ObjectRef{field.target, 0};
        ScriptRow row{0.0f, 196.0f, type, object, info->name, CLOCK, CLOCK};
        if (random() % 5 != 0) {
            row.start = SpanEdge(random);
            const float lengths[] = {0.0f, 1.0f / 60, 0.5f, 1.0f, 5.0f, 30.0f};
            row.end =
                random() % 2 == 0 ? SpanEdge(random) : row.start + lengths[random() % std::size(lengths)];
            if (row.end < row.start) {
                std::swap(row.start, row.end);
            }
        }
        if (field.drawsOverTheShow && row.end - row.start == 196.0f) {
            // Switched on, with a view and maps: otherwise the last such row would leave the
            // landscape off for the whole show, and a seek would draw every pass before its target.
            row.from = row.to = DrawingKey(random, field.name);
        } else if (random() % 5 != 0) {
            row.from = Key(random, field, type);
            row.to = random() % 2 == 0 ? row.from : Key(random, field, type);
        }
        script.push_back(row);
    }
    return script;
}
