#include "render/heap_block.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

void PrefaultForWriting(void* block, size_t bytes) {
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
