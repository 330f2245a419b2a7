#pragma once
#include "render/simd_level.h"
#include "render/worker_pool.h"

// What the fast drawing steps run on: the threads of a pool (none: the calling thread alone)
// and a level of vector instructions. The driver makes the pool and hands this record to the
// landscape, the layer list and the wave filter; the reference versions ignore it.
struct DrawHardware {
    WorkerPool* pool = nullptr;
    SimdLevel simd = BestSimdLevel();
};
