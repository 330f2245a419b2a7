#pragma once
#include <atomic>
#include <condition_variable>
#include <mutex>

// Where threads sleep until another thread changes something they wait for and rings. The
// ringer takes the lock only when someone sleeps, so a ring costs one load while the waiting
// threads are still polling. std::atomic's own wait is not used: the C++ library of the
// Windows build waits without holding its lock while checking the value, so a notify between
// the check and the sleep is lost and the sleeper never wakes.
struct Doorbell {
    std::mutex mutex;
    std::condition_variable rung;
    std::atomic<int> sleepers{0};
};

// Sleeps until `changed()` holds. `changed` reads the atomics that the ringer writes before
// ringing; it is called under the bell's lock.
template <class Condition>
void SleepUntil(Doorbell& bell, Condition changed) {
    bell.sleepers.fetch_add(1, std::memory_order_seq_cst);
    // Either the ringer sees this sleeper, or this thread sees what was changed before the ring.
    std::atomic_thread_fence(std::memory_order_seq_cst);
    {
        std::unique_lock<std::mutex> lock(bell.mutex);
        bell.rung.wait(lock, changed);
    }
    bell.sleepers.fetch_sub(1, std::memory_order_relaxed);
}

// Wakes every thread sleeping on the bell; call it after the change they wait for.
inline void Ring(Doorbell& bell) {
    std::atomic_thread_fence(std::memory_order_seq_cst);
    if (bell.sleepers.load(std::memory_order_relaxed) == 0) {
        return;
    }
    // A sleeper that checked before the change is inside its wait once the lock is free.
    { std::lock_guard<std::mutex> lock(bell.mutex); }
    bell.rung.notify_all();
}
