#include "render/worker_pool.h"

#include <algorithm>
#include <cassert>
#include <chrono>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

// A waiting thread polls, with a pause between polls, for as long as the gaps between a pass's
// jobs last, then sleeps until the value it waits on changes. It never yields the processor in
// between: on a busy machine a yield gives the core to another program for a whole time slice,
// and a thread that spins for long spends the share of the processor that the threads doing the
// work could have had.
constexpr auto SPIN_TIME = std::chrono::microseconds(100);
constexpr int POLLS_PER_CLOCK_READ = 32;

// The polls of one wait.
struct Spin {
    int polls = 0;
    std::chrono::steady_clock::time_point start;

    // Pauses before the next poll; false once the wait should sleep instead.
    bool KeepPolling() {
#if defined(__x86_64__) || defined(__i386__)
        _mm_pause();
#endif
        if (polls++ % POLLS_PER_CLOCK_READ != 0) {
            return true;
        }
        const auto now = std::chrono::steady_clock::now();
        if (polls == 1) {
            start = now;
        }
        return now - start < SPIN_TIME;
    }
};

// The fields of the claim word (see WorkerPool::claims).
uint32_t Generation(uint64_t claims) {
    return static_cast<uint32_t>(claims >> 48);
}

uint32_t TaskCount(uint64_t claims) {
    return static_cast<uint32_t>(claims) & 0xFFFFu;
}

uint32_t FrontClaims(uint64_t claims) {
    return static_cast<uint32_t>(claims >> 16) & 0xFFFFu;
}

uint32_t BackClaims(uint64_t claims) {
    return static_cast<uint32_t>(claims >> 32) & 0xFFFFu;
}

constexpr uint64_t FRONT_CLAIM = uint64_t{1} << 16;
constexpr uint64_t BACK_CLAIM = uint64_t{1} << 32;

// Claims and runs tasks of the current job until none is left; returns the generation of the
// job found without tasks. The calling thread takes tasks from the front, the started ones from
// the back, so that each keeps to one end of the job's range: its bands of the frame stay in its
// own cache from one drawing step to the next instead of moving between the cores at every step.
// A claim is one atomic add, so it never has to be retried; a thread adds once more after the
// last task, which MAX_TASKS leaves room for.
uint32_t RunClaimedTasks(WorkerPool& pool, uint64_t end) {
    while (true) {
        const uint64_t claim = pool.claims.fetch_add(end, std::memory_order_acq_rel);
        const uint32_t front = FrontClaims(claim);
        const uint32_t back = BackClaims(claim);
        const uint32_t count = TaskCount(claim);
        if (front + back >= count) {
            return Generation(claim);
        }
        const uint32_t task = end == FRONT_CLAIM ? front : count - 1 - back;
        // The job cannot end before this task does, so call and context are still its own.
        pool.call(pool.context, static_cast<int>(task));
        if (pool.unfinished.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            Ring(pool.jobFinished);
        }
    }
}

// Waits until a job newer than `seen` is published, or the pool stops.
void WaitForJob(WorkerPool& pool, uint32_t seen) {
    const auto arrived = [&] {
        return Generation(pool.claims.load(std::memory_order_acquire)) != seen ||
               pool.stopping.load(std::memory_order_acquire);
    };
    Spin spin;
    while (!arrived()) {
        if (!spin.KeepPolling()) {
            SleepUntil(pool.jobPosted, arrived);
        }
    }
}

// Starts from generation 0, the pool's before any job, so that a job published before this
// thread first runs is still taken up.
void WorkerLoop(WorkerPool& pool) {
    uint32_t seen = 0;
    while (true) {
        WaitForJob(pool, seen);
        if (pool.stopping.load(std::memory_order_acquire)) {
            return;
        }
        seen = RunClaimedTasks(pool, BACK_CLAIM);
    }
}

void WaitUntilFinished(WorkerPool& pool) {
    const auto finished = [&] { return pool.unfinished.load(std::memory_order_acquire) == 0; };
    Spin spin;
    while (!finished()) {
        if (!spin.KeepPolling()) {
            SleepUntil(pool.jobFinished, finished);
        }
    }
}

}  // namespace

WorkerPool::WorkerPool(unsigned threadsInAll) {
    for (unsigned i = 1; i < std::min<unsigned>(threadsInAll, MAX_THREADS); ++i) {
        threads.emplace_back(WorkerLoop, std::ref(*this));
    }
}

WorkerPool::~WorkerPool() {
    stopping.store(true, std::memory_order_release);
    const uint64_t claims = this->claims.load(std::memory_order_relaxed);
    this->claims.store(static_cast<uint64_t>((Generation(claims) + 1) & 0xFFFFu) << 48,
                       std::memory_order_release);
    Ring(jobPosted);
    for (std::thread& thread : threads) {
        thread.join();
    }
}

unsigned ThreadCount(const WorkerPool& pool) {
    return static_cast<unsigned>(pool.threads.size()) + 1;
}

void RunJob(WorkerPool& pool, int count, void (*call)(void*, int), void* context) {
    assert(count >= 0 && count <= MAX_TASKS);
    if (count == 0) {
        return;
    }
    // The previous job has finished, so no thread reads call or context now.
    pool.call = call;
    pool.context = context;
    pool.unfinished.store(count, std::memory_order_relaxed);
    const uint32_t generation = (Generation(pool.claims.load(std::memory_order_relaxed)) + 1) & 0xFFFFu;
    pool.claims.store(static_cast<uint64_t>(generation) << 48 | static_cast<uint32_t>(count),
                      std::memory_order_release);
    Ring(pool.jobPosted);
    RunClaimedTasks(pool, FRONT_CLAIM);
    WaitUntilFinished(pool);
}
