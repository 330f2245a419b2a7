#pragma once
// Where the project's targets differ, in one place, for code outside the platform folders, which
// compiles unchanged for each: the WebAssembly build's libc++ has no
// std::make_unique_for_overwrite and no floating-point from_chars, and its target has no x86
// instruction sets to compile functions for; the C library of Windows (mingw-w64) frees aligned
// blocks with a call of its own and has no page advice or file-size signal.
#include <cerrno>
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <system_error>
#include <type_traits>
#ifdef _WIN32
#include <malloc.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

// Whether the target has x86's vector instruction sets, which the fast drawing steps may use.
// SSE2's intrinsics compile for x86 processors and, over WebAssembly's 128-bit vectors, for the
// browser build (-msimd128 -msse2, which defines __SSE2__); AVX2's for x86 processors alone.
#if defined(__x86_64__) || defined(__i386__)
constexpr bool X86_VECTORS = true;
#define AVX2_INTRINSICS 1
#else
constexpr bool X86_VECTORS = false;
#endif

// The separator of a path's parts as the system writes it, for the names the program makes and
// shows (a data file beside a Windows program reads "...\data\title.png").
#ifdef _WIN32
constexpr char PATH_SEPARATOR = '\\';
#else
constexpr char PATH_SEPARATOR = '/';
#endif

// A function a loadable module offers its program (built with hidden symbols); the Windows program
// links such code in and loads no module.
#ifdef _WIN32
#define MODULE_EXPORT
#else
#define MODULE_EXPORT __attribute__((visibility("default")))
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
    // strtof also sets ERANGE for a subnormal result, which from_chars takes: out of range is
    // only a result that overflowed to infinity or underflowed to zero.
    if (errno == ERANGE && (read == 0.0f || read == HUGE_VALF || read == -HUGE_VALF)) {
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

// Heap blocks: Windows frees an aligned block with a call of its own, so there every block
// is aligned and freed that way; elsewhere the plain allocator's calls.
inline void* AllocateBlock(size_t bytes) {
#ifdef _WIN32
    return _aligned_malloc(bytes, 16);
#else
    return std::malloc(bytes);
#endif
}

inline void* AllocateAlignedBlock(size_t alignment, size_t bytes) {
#ifdef _WIN32
    return _aligned_malloc(bytes, alignment);
#else
    return std::aligned_alloc(alignment, bytes);
#endif
}

// Zeroed: calloc on POSIX, whose large blocks come from the system already zero.
inline void* AllocateZeroedBlock(size_t count, size_t size) {
#ifdef _WIN32
    if (size != 0 && count > SIZE_MAX / size) {
        return nullptr;
    }
    void* block = _aligned_malloc(count * size, 16);
    if (block != nullptr) {
        std::memset(block, 0, count * size);
    }
    return block;
#else
    return std::calloc(count, size);
#endif
}

inline void FreeBlock(void* block) {
#ifdef _WIN32
    _aligned_free(block);
#else
    std::free(block);
#endif
}

// Asks the system for the pages of a block about to be written throughout, where it can.
inline void PrefaultPages(void* block, size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t first = (reinterpret_cast<uintptr_t>(block) + page - 1) / page * page;
    const uintptr_t end = (reinterpret_cast<uintptr_t>(block) + bytes) / page * page;
    if (end > first) {
        madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);  // a refusal costs nothing
    }
#else
    (void)block;
    (void)bytes;
#endif
}

// A write past a file-size limit fails with EFBIG instead of ending the program, where such
// a signal exists.
inline void IgnoreFileSizeSignal() {
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

// fseek and ftell with 64-bit offsets (Windows' long has 32 bits).
inline int SeekFile(std::FILE* file, int64_t offset, int origin) {
#ifdef _WIN32
    return _fseeki64(file, offset, origin);
#else
    return fseeko(file, static_cast<off_t>(offset), origin);
#endif
}

inline int64_t FilePosition(std::FILE* file) {
#ifdef _WIN32
    return _ftelli64(file);
#else
    return static_cast<int64_t>(ftello(file));
#endif
}
