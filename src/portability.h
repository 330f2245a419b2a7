#pragma once
// What the standard libraries of the project's compilers lack, in one place: the WebAssembly
// build's libc++ has no std::make_unique_for_overwrite and no floating-point from_chars, and
// its target has no x86 instruction sets to compile functions for.
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <system_error>
#include <type_traits>

// Whether the target has x86's vector instruction sets, which the fast drawing steps may use.
// SSE2's intrinsics compile for x86 processors and, over WebAssembly's 128-bit vectors, for the
// browser build (-msimd128 -msse2, which defines __SSE2__); AVX2's for x86 processors alone.
#if defined(__x86_64__) || defined(__i386__)
constexpr bool X86_VECTORS = true;
#define AVX2_INTRINSICS 1
#else
constexpr bool X86_VECTORS = false;
#endif

// An array whose elements are not initialised, for buffers that are filled before being read.
template <class T>
std::unique_ptr<T> MakeUninitialized(size_t count) {
#if defined(__cpp_lib_smart_ptr_for_overwrite)
    return std::make_unique_for_overwrite<T>(count);
#else
    return std::unique_ptr<T>(new std::remove_extent_t<T>[count]);
#endif
}

// std::from_chars for a float in the general format: the nearest float to the text's value.
inline std::from_chars_result FloatFromChars(const char* first, const char* last, float& value) {
#if defined(__cpp_lib_to_chars)
    return std::from_chars(first, last, value, std::chars_format::general);
#else
    // strtof rounds to nearest as from_chars does; it needs the text ended by a NUL.
    const std::string text(first, last);
    char* end = nullptr;
    errno = 0;
    const float read = std::strtof(text.c_str(), &end);
    if (end == text.c_str()) {
        return {first, std::errc::invalid_argument};
    }
    const char* stop = first + (end - text.c_str());
    if (errno == ERANGE) {
        return {stop, std::errc::result_out_of_range};
    }
    value = read;
    return {stop, std::errc()};
#endif
}

// std::to_chars for a float in the fixed format: the fewest decimals that read back as the same
// float.
inline std::to_chars_result FloatToFixedChars(char* first, char* last, float value) {
#if defined(__cpp_lib_to_chars)
    return std::to_chars(first, last, value, std::chars_format::fixed);
#else
    for (int decimals = 0; decimals <= 60; ++decimals) {
        const int length = std::snprintf(first, static_cast<size_t>(last - first), "%.*f", decimals, value);
        if (length < 0 || length >= last - first) {
            return {last, std::errc::value_too_large};
        }
        if (std::strtof(first, nullptr) == value) {
            return {first + length, std::errc()};
        }
    }
    return {last, std::errc::value_too_large};
#endif
}
