#pragma once
#include <cstdint>

// The printed name of each element type. `char` is always the signed 8-bit type here,
// whatever the compiler's default signedness of plain char.
template <typename T>
struct ElementType;

template <>
struct ElementType<int8_t> {
    static constexpr const char* name = "char";
};
template <>
struct ElementType<uint8_t> {
    static constexpr const char* name = "unsigned char";
};
template <>
struct ElementType<int16_t> {
    static constexpr const char* name = "short";
};
template <>
struct ElementType<uint16_t> {
    static constexpr const char* name = "unsigned short";
};
template <>
struct ElementType<int32_t> {
    static constexpr const char* name = "int";
};
template <>
struct ElementType<uint32_t> {
    static constexpr const char* name = "unsigned int";
};
template <>
struct ElementType<float> {
    static constexpr const char* name = "float";
};

// The type tag for an element type's name, 0 for an unknown name.
uint8_t TypeTagForName(const char* name);
