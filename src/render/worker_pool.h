#pragma once
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "render/doorbell.h"

// A fixed set of threads that run the tasks of one job at a time, the calling thread taking
// tasks too. The threads are started with the pool and wait between jobs, spinning for a
// short while and then sleeping, so that a job costs no thread start and, within a pass,
// seldom a wake-up. Tasks are claimed one by one, so a thread that the system holds up
// takes fewer of them instead of holding up the job; the calling thread claims from the first
// task on, the started ones from the last one back, so that with bands of an image each thread
// keeps to the same end of it from one job to the next.
constexpr int MAX_THREADS = 256;
constexpr int MAX_TASKS = 0xFFFF - MAX_THREADS;  // tasks of one job
// Each thread may add once past a job's last task: that must stay within the task bits.
static_assert(MAX_TASKS + MAX_THREADS <= 0xFFFF);

struct WorkerPool {
    // `threads` counts the calling thread (at most MAX_THREADS): 0 and 1 start none and run
    // every task in the caller.
    explicit WorkerPool(unsigned threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // The job being run. `claims` packs the job's generation (bits 48 to 63, counting modulo
    // 2^16), the tasks claimed from the back (bits 32 to 47) and from the front (bits 16 to 31)
    // and the task count (bits 0 to 15), so that one atomic add claims a task of whatever job is
    // current; `call` and `context` are read only after a claim.
    void (*call)(void* context, int task) = nullptr;
    void* context = nullptr;
    std::atomic<uint64_t> claims{0};
    std::atomic<int> unfinished{0};  // tasks of the current job not yet done
    std::atomic<bool> stopping{false};
    Doorbell jobPosted;                // rung when a job is published or the pool stops
    Doorbell jobFinished;              // rung when the last task of a job has finished
    std::vector<std::thread> threads;  // the started ones, the caller not included
};

// Threads that take tasks, the calling one included (at least 1).
unsigned ThreadCount(const WorkerPool& pool);

// Runs call(context, task) for every task from 0 to count - 1 (at most MAX_TASKS), spread over
// the pool's threads, and returns when all have finished. Tasks must not throw.
void RunJob(WorkerPool& pool, int count, void (*call)(void*, int), void* context);

// RunJob for any callable; without a pool every task runs in the calling thread, in order.
template <class Task>
void RunTasks(WorkerPool* pool, int count, Task&& task) {
    if (pool == nullptr || pool->threads.empty() || count <= 1) {
        for (int i = 0; i < count; ++i) {
            task(i);
        }
        return;
    }
    using TaskType = std::remove_reference_t<Task>;
    RunJob(
        *pool, count, [](void* context, int i) { (*static_cast<TaskType*>(context))(i); }, &task);
}

// Splits [0, total) into bands of `band` elements (the last may be shorter) and runs
// task(begin, end) for each of them through RunTasks.
template <class Task>
void RunBands(WorkerPool* pool, int total, int band, Task&& task) {
    const int count = (total + band - 1) / band;
    RunTasks(pool, count, [&](int i) {
        const int begin = i * band;
        task(begin, begin + band < total ? begin + band : total);
    });
}
