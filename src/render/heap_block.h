#pragma once
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>

#include "portability.h"

// A heap block of plain values. A zeroed one comes from calloc, which gets large blocks from
// the system already zero: their pages cost nothing until they are first written, so a
// buffer that is filled from a file, or never used, is not cleared for nothing.
struct FreeHeapBlock {
    void operator()(void* block) const { FreeBlock(block); }
};

template <class T>
using HeapBlock = std::unique_ptr<T[], FreeHeapBlock>;

template <class T>
HeapBlock<T> ZeroedHeapBlock(size_t count) {
    static_assert(std::is_trivial_v<T>);
    void* block = AllocateZeroedBlock(count == 0 ? 1 : count, sizeof(T));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return HeapBlock<T>(static_cast<T*>(block));
}

// A block whose values are left undefined, starting on a 64-byte cache line, so that threads
// writing neighbouring bands of 16 pixels share no line.
template <class T>
HeapBlock<T> CacheLineHeapBlock(size_t count) {
    static_assert(std::is_trivial_v<T>);
    constexpr size_t LINE = 64;
    const size_t bytes = ((count == 0 ? 1 : count) * sizeof(T) + LINE - 1) / LINE * LINE;
    void* block = AllocateAlignedBlock(LINE, bytes);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return HeapBlock<T>(static_cast<T*>(block));
}

// Has the system provide the pages of a block that is about to be written throughout in one
// request, which costs far less than one fault per page where faults are dear (as in a virtual
// machine). Where the request is not known the pages are faulted in as they are written.
void PrefaultForWriting(void* block, size_t bytes);

// A block whose values are left undefined, for one that is written throughout before it is
// read; its pages are asked for at once.
template <class T>
HeapBlock<T> UninitialisedHeapBlock(size_t count) {
    static_assert(std::is_trivial_v<T>);
    const size_t bytes = (count == 0 ? 1 : count) * sizeof(T);
    void* block = AllocateBlock(bytes);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    PrefaultForWriting(block, bytes);
    return HeapBlock<T>(static_cast<T*>(block));
}
