// What the worker pool costs a pass: the jobs of a polar pass (slopes, march, remap, layers,
// wave) with empty tasks, so that only claiming, waking and waiting is timed. Argument: the
// threads in all; 1 runs every task on the calling thread.
// Run: build/bench/worker_pool_bench
#include <benchmark/benchmark.h>

#include <atomic>

#include "render/worker_pool.h"

namespace {

// Tasks per job of one pass: slopes in bands of rows, the march in bands of columns plus the
// intermediate's fill, the remap, layers and wave in bands of rows.
constexpr int PASS_JOBS[] = {8, 31, 30, 30, 30};

void BM_PoolOverheadPerPass(benchmark::State& state) {
    WorkerPool pool(static_cast<unsigned>(state.range(0)));
    std::atomic<int> tasks{0};
    for (auto _ : state) {
        for (int count : PASS_JOBS) {
            RunTasks(&pool, count, [&](int) { tasks.fetch_add(1, std::memory_order_relaxed); });
        }
    }
    benchmark::DoNotOptimize(tasks.load());
}

// The same jobs where each task does about a microsecond of work, to show that the threads
// share it rather than wait for each other.
void BM_PoolPassOfMicrosecondTasks(benchmark::State& state) {
    WorkerPool pool(static_cast<unsigned>(state.range(0)));
    for (auto _ : state) {
        for (int count : PASS_JOBS) {
            RunTasks(&pool, count, [](int task) {
                uint32_t x = static_cast<uint32_t>(task);
                for (int i = 0; i < 700; ++i) {
                    x = x * 1664525u + 1013904223u;
                }
                benchmark::DoNotOptimize(x);
            });
        }
    }
}

}  // namespace

BENCHMARK(BM_PoolOverheadPerPass)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_PoolPassOfMicrosecondTasks)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond)->UseRealTime();

BENCHMARK_MAIN();
