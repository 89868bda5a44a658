// The engine mutex, fair between the audio thread and the control threads.  A plain mutex
// lets whichever thread runs back to back take the lock again before a woken waiter runs: a UI
// thread that rebuilds in a loop starves the audio thread, and an audio thread that renders
// faster than real time (an export) shuts the UI out.  So a control thread does not queue up
// while the audio thread waits, and a control thread that waited through an audio buffer goes
// before the next one.  The audio thread waits at most for the section that runs and those of
// control threads already queued, one each; it blocks rather than spins, so that a real-time
// audio thread never keeps a lower-priority control thread off its core.
#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>

namespace vemo {

// How many engine locks the calling thread holds, so that a test can tell work done under the
// lock from work done beside it.
inline thread_local int engine_lock_depth = 0;

class EngineMutex {
public:
    // Control threads (std::lock_guard works on these).
    void lock() {
        while (audio_waiting_.load(std::memory_order_acquire) != 0) std::this_thread::yield();
        control_waiting_.fetch_add(1, std::memory_order_acq_rel);
        mutex_.lock();
        control_waiting_.fetch_sub(1, std::memory_order_acq_rel);
        if (control_turn_.exchange(0, std::memory_order_acq_rel) != 0) control_turn_.notify_one();
        ++engine_lock_depth;
    }
    void unlock() {
        --engine_lock_depth;
        mutex_.unlock();
    }

    // The audio thread.  An uncontended lock costs what try_lock costs; only a wait is timed.
    void lock_audio() {
        ++engine_lock_depth;
        if (control_turn_.load(std::memory_order_acquire) == 0 && mutex_.try_lock()) return;
        const auto start = std::chrono::steady_clock::now();
        audio_waiting_.fetch_add(1, std::memory_order_acq_rel);  // no control thread queues up now
        control_turn_.wait(1, std::memory_order_acquire);
        mutex_.lock();
        audio_waiting_.fetch_sub(1, std::memory_order_acq_rel);
        const auto waited = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start);
        const int64_t ns = waited.count();
        if (ns > longest_audio_wait_ns_.load(std::memory_order_relaxed))
            longest_audio_wait_ns_.store(ns, std::memory_order_relaxed);
    }
    void unlock_audio() {
        --engine_lock_depth;
        // A control thread queued during this buffer takes the lock before the next buffer does.
        if (control_waiting_.load(std::memory_order_acquire) != 0) control_turn_.store(1, std::memory_order_release);
        mutex_.unlock();
    }

    // The longest the audio thread has waited since the last call, in nanoseconds.
    int64_t take_longest_audio_wait_ns() { return longest_audio_wait_ns_.exchange(0, std::memory_order_relaxed); }

private:
    std::mutex mutex_;
    std::atomic<int> audio_waiting_{0};
    std::atomic<int> control_waiting_{0};
    std::atomic<int> control_turn_{0};
    std::atomic<int64_t> longest_audio_wait_ns_{0};
};

// Scope of the audio thread's hold on the engine.
class AudioLock {
public:
    explicit AudioLock(EngineMutex& m) : m_(m) { m_.lock_audio(); }
    ~AudioLock() { m_.unlock_audio(); }
    AudioLock(const AudioLock&) = delete;
    AudioLock& operator=(const AudioLock&) = delete;

private:
    EngineMutex& m_;
};

}  // namespace vemo
