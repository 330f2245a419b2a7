#pragma once
// The few places where the C library of Windows (mingw-w64) and of POSIX systems differ, for
// code outside the platform folders, which compiles unchanged for each.
#include <csignal>
#include <cstdlib>
#include <cstring>
#ifdef _WIN32
#include <malloc.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

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
