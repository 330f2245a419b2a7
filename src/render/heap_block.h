#pragma once
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>

// A heap block of plain values. A zeroed one comes from calloc, which gets large blocks from
// the system already zero: their pages cost nothing until they are first written, so a
// buffer that is filled from a file, or never used, is not cleared for nothing.
struct FreeHeapBlock {
    void operator()(void* block) const { std::free(block); }
};

template <class T>
using HeapBlock = std::unique_ptr<T[], FreeHeapBlock>;

template <class T>
HeapBlock<T> ZeroedHeapBlock(size_t count) {
    static_assert(std::is_trivial_v<T>);
    void* block = std::calloc(count == 0 ? 1 : count, sizeof(T));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return HeapBlock<T>(static_cast<T*>(block));
}

// A block whose values are left undefined, for one that is written before it is read.
template <class T>
HeapBlock<T> UninitialisedHeapBlock(size_t count) {
    static_assert(std::is_trivial_v<T>);
    void* block = std::malloc((count == 0 ? 1 : count) * sizeof(T));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return HeapBlock<T>(static_cast<T*>(block));
}
