#include "script/script_check.h"

#include <cmath>
#include <limits>
#include <type_traits>

#include "script/script_fields.h"
#include "script/script_numbers.h"

namespace {

bool SameShape(const FieldInfo& a, const FieldInfo& b) {
    return a.width == b.width && a.isFloat == b.isFloat;
}

// The element type whose values have the field's width, kind and signedness.
const char* FieldTypeName(const FieldInfo& field) {
    for (ElementKind type : {CHAR, UCHAR, SHORT, USHORT, FLOAT}) {
        const FieldInfo shape = ElementShape(type);
        if (SameShape(shape, field) && shape.isSigned == field.isSigned) {
            return shape.name;
        }
    }
    return "unknown";
}

template <typename T>
std::string KeyProblem(float key, const std::string& name) {
    if constexpr (std::is_floating_point_v<T>) {
        return std::isfinite(key) ? "" : "value " + FormatNumber(key) + " is not a finite float";
    } else {
        const double low = std::numeric_limits<T>::min();
        const double high = std::numeric_limits<T>::max();
        if (!(key >= low && key <= high)) {
            return "value " + FormatNumber(key) + " is outside the range of " + name + " (" +
                   FormatNumber(static_cast<float>(low)) + " to " + FormatNumber(static_cast<float>(high)) +
                   ")";
        }
        if (std::trunc(key) != key) {
            return "value " + FormatNumber(key) + " is not a whole number, as " + name + " needs";
        }
        return "";
    }
}

std::string KeysProblem(const ScriptRow& row) {
    if (IsClockRow(row)) {
        return "";
    }
    const std::string name = ElementName(row.type);
    return WithElementType(row.type, [&](auto value) {
        using T = decltype(value);
        std::string problem = KeyProblem<T>(row.from, name);
        return problem.empty() ? KeyProblem<T>(row.to, name) : problem;
    });
}

std::string SpanProblem(const ScriptRow& row) {
    if (!std::isfinite(row.start) || !std::isfinite(row.end)) {
        return "the start and end must be finite numbers of seconds";
    }
    if (row.start > row.end) {
        return "start " + FormatNumber(row.start) + " is after end " + FormatNumber(row.end);
    }
    return "";
}

std::string FieldProblem(const ScriptRow& row) {
    if (row.object.target == Target::Layer && row.object.layer >= LAYER_COUNT) {
        return "there is no layer " + std::to_string(row.object.layer) + ": the layers are 0 to " +
               std::to_string(LAYER_COUNT - 1);
    }
    const FieldInfo* field = FindField(row.object.target, row.field);
    if (field == nullptr) {
        return "unknown field " + TargetName(row);
    }
    if (!SameShape(ElementShape(row.type), *field)) {
        return std::string(ElementName(row.type)) + " does not fit " + TargetName(row) + ", which is " +
               FieldTypeName(*field) +
               " (a track's type needs its field's width, and both integers or "
               "both float)";
    }
    return "";
}

}  // namespace

std::string TargetName(const ScriptRow& row) {
    switch (row.object.target) {
        case Target::Landscape:
            return std::string("landscape.") + row.field;
        case Target::Wave:
            return std::string("wave.") + row.field;
        case Target::Layer:
            return "layer " + std::to_string(row.object.layer) + "." + row.field;
    }
    return row.field;
}

std::string RowProblem(const ScriptRow& row) {
    for (auto check : {FieldProblem, SpanProblem, KeysProblem}) {
        std::string problem = check(row);
        if (!problem.empty()) {
            return problem;
        }
    }
    return "";
}
