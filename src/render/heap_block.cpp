#include "render/heap_block.h"

void PrefaultForWriting(void* block, size_t bytes) {
    PrefaultPages(block, bytes);
}
