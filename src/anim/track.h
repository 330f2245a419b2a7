#pragma once
#include <cstdint>
#include <memory>
#include <vector>

// Type byte of a track: one element-type tag in bits 0-6, the variant flag in bit 7.
constexpr uint8_t TYPE_CHAR = 0x01;
constexpr uint8_t TYPE_UCHAR = 0x02;
constexpr uint8_t TYPE_SHORT = 0x04;
constexpr uint8_t TYPE_USHORT = 0x08;
constexpr uint8_t TYPE_INT = 0x10;
constexpr uint8_t TYPE_UINT = 0x20;
constexpr uint8_t TYPE_FLOAT = 0x40;
constexpr uint8_t CLOCK_DRIVEN = 0x80;  // writes the coarse clock instead of a blend

// The span in seconds of demo time over which a track writes.
struct TimeTag {
    float start = 0.0f;
    float end = 0.0f;
};

// A typed view of one track's target and keys, filled by BaseVariable::GetValue.
struct BaseValue {
    virtual ~BaseValue() = default;
};

template <typename T>
struct Value : BaseValue {
    T* target = nullptr;
    T from{};
    T to{};
};

// One track of the list, whatever its element type.
struct BaseVariable : TimeTag {
    int32_t active = 1;  // cleared once when the track retires
    uint8_t type = 0;    // element-type tag, plus CLOCK_DRIVEN

    virtual ~BaseVariable() = default;
    // Fills `value`, a Value<T> of this track's own element type, with target, from and to.
    virtual void GetValue(BaseValue* value) = 0;
};

template <typename T>
struct Variable : BaseVariable {
    T from;
    T to;
    T* target;  // borrowed: the effect object's field

    Variable(float startTime, float endTime, T* field, T fromValue, T toValue)
        : from(fromValue), to(toValue), target(field) {
        start = startTime;
        end = endTime;
    }

    void GetValue(BaseValue* value) override {
        // A view of another element type is left untouched.
        auto* view = dynamic_cast<Value<T>*>(value);
        if (view == nullptr) {
            return;
        }
        view->target = target;
        view->from = from;
        view->to = to;
    }
};

// The track list, in registration order. Tracks are never removed or reordered.
struct VariableList {
    std::vector<std::unique_ptr<BaseVariable>> items;
    uint16_t count = 0;
};
