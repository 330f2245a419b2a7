#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "render/worker_pool.h"

namespace {

// Job after job, of many sizes, every task runs exactly once and each job has finished when
// RunTasks returns.
TEST(WorkerPool, EveryTaskOfEveryJobRunsOnceBeforeTheJobReturns) {
    for (unsigned threads : {1u, 2u, 4u}) {
        WorkerPool pool(threads);
        EXPECT_EQ(ThreadCount(pool), threads);
        for (int count : {1, 2, 3, 17, 64, 1000, MAX_TASKS}) {
            for (int job = 0; job < 20; ++job) {
                std::vector<std::atomic<int>> runs(count);
                RunTasks(&pool, count, [&](int task) { runs[task].fetch_add(1, std::memory_order_relaxed); });
                for (int task = 0; task < count; ++task) {
                    ASSERT_EQ(runs[task].load(), 1)
                        << threads << " threads, task " << task << " of " << count;
                }
            }
        }
    }
}

// With no pool, or a pool of one thread, the tasks run in order on the calling thread.
TEST(WorkerPool, WithoutWorkersTasksRunInOrderOnTheCaller) {
    WorkerPool single(1);
    for (WorkerPool* pool : {static_cast<WorkerPool*>(nullptr), &single}) {
        std::vector<int> order;
        const std::thread::id caller = std::this_thread::get_id();
        bool elsewhere = false;
        RunTasks(pool, 50, [&](int task) {
            order.push_back(task);
            elsewhere |= std::this_thread::get_id() != caller;
        });
        ASSERT_EQ(order.size(), 50u);
        for (int task = 0; task < 50; ++task) {
            EXPECT_EQ(order[task], task);
        }
        EXPECT_FALSE(elsewhere);
    }
}

// Each of two tasks waits until the other has started, which only a second thread can make
// happen: the pool's own thread takes part in a job. A broken pool fails at the deadline.
TEST(WorkerPool, ThePoolsThreadTakesTasks) {
    WorkerPool pool(2);
    for (int job = 0; job < 100; ++job) {
        std::atomic<int> started{0};
        std::atomic<bool> timedOut{false};
        RunTasks(&pool, 2, [&](int) {
            started.fetch_add(1);
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            while (started.load() < 2 && !timedOut.load()) {
                timedOut = std::chrono::steady_clock::now() > deadline;
                std::this_thread::yield();
            }
        });
        ASSERT_FALSE(timedOut.load()) << "job " << job;
    }
}

// The calling thread takes tasks from the front and the pool's thread from the back, so each
// keeps to one end of the range (its bands stay in its own cache from one job to the next). In
// the checked jobs a task waits until the other thread has taken all but one as many (or every
// task is taken), so both take about half of them whatever the machine does: a thread may claim
// one more before the other claims its next, so the split is even to within one task. The
// check holds past the wrap of the job counter, 2^16 jobs on.
TEST(WorkerPool, TheCallerKeepsToTheFrontAndTheThreadToTheBack) {
    WorkerPool pool(2);
    const std::thread::id caller = std::this_thread::get_id();
    for (int job = 0; job < 70000; ++job) {
        const bool checked = job % 10000 == 0;
        const int count = checked ? 64 : 2;
        std::vector<char> onCaller(count);
        std::atomic<int> taken[2] = {0, 0};
        std::atomic<bool> timedOut{false};
        RunTasks(&pool, count, [&](int task) {
            const int self = std::this_thread::get_id() == caller ? 0 : 1;
            onCaller[task] = self == 0;
            const int mine = taken[self].fetch_add(1) + 1;
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            while (checked && taken[1 - self].load() < mine - 1 && taken[0] + taken[1] < count &&
                   !timedOut.load()) {
                timedOut = std::chrono::steady_clock::now() > deadline;
                std::this_thread::yield();
            }
        });
        ASSERT_FALSE(timedOut.load()) << "job " << job;
        const auto firstElsewhere = std::find(onCaller.begin(), onCaller.end(), 0);
        ASSERT_TRUE(std::all_of(firstElsewhere, onCaller.end(), [](char c) { return c == 0; }))
            << "job " << job << ": the caller took a task after one the thread took";
        if (checked) {
            EXPECT_NEAR(firstElsewhere - onCaller.begin(), 32, 1) << "job " << job;
        }
    }
}

// Bands cover the range once, in pieces of the given size with a shorter last one.
TEST(WorkerPool, BandsCoverTheRangeOnce) {
    WorkerPool pool(2);
    for (int total : {0, 1, 15, 16, 17, 480}) {
        std::vector<std::atomic<int>> covered(total);
        std::atomic<int> longest{0};
        RunBands(&pool, total, 16, [&](int begin, int end) {
            for (int i = begin; i < end; ++i) {
                covered[i].fetch_add(1);
            }
            longest = std::max(longest.load(), end - begin);
        });
        for (int i = 0; i < total; ++i) {
            ASSERT_EQ(covered[i].load(), 1) << "element " << i << " of " << total;
        }
        EXPECT_LE(longest.load(), 16);
    }
}

// A pool ends cleanly whether its threads are spinning after a job, asleep, or never had one.
TEST(WorkerPool, EndsWhetherItsThreadsSpinOrSleep) {
    for (int round = 0; round < 50; ++round) {
        WorkerPool idle(3);
        WorkerPool used(3);
        std::atomic<int> runs{0};
        RunTasks(&used, 10, [&](int) { runs.fetch_add(1); });
        EXPECT_EQ(runs.load(), 10);
    }
    WorkerPool sleeping(2);
    RunTasks(&sleeping, 4, [](int) {});
    // Long enough that the threads have given up spinning and sleep on the job word.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(20);
    while (std::chrono::steady_clock::now() < until) {
        std::this_thread::yield();
    }
    std::atomic<int> runs{0};
    RunTasks(&sleeping, 4, [&](int) { runs.fetch_add(1); });
    EXPECT_EQ(runs.load(), 4);
}

// Jobs posted after pauses around the time the threads poll before sleeping, so that many come
// just as a thread falls asleep or the caller does: a wake-up lost in that moment hangs here.
TEST(WorkerPool, JobsPostedAsTheThreadsFallAsleepAreTaken) {
    WorkerPool pool(3);
    for (int job = 0; job < 3000; ++job) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(job * 37 % 300);
        while (std::chrono::steady_clock::now() < until) {
        }
        std::atomic<int> runs{0};
        RunTasks(&pool, 1 + job % 4, [&](int) { runs.fetch_add(1); });
        ASSERT_EQ(runs.load(), 1 + job % 4) << "job " << job;
    }
}

}  // namespace
