// The engine mutex, with the audio thread first in line.  A plain mutex lets a control thread
// that rebuilds back to back take the lock again before the woken audio thread runs, and so
// starve it; here a control thread that finds the audio thread waiting steps back until the
// audio thread has had its turn.  The audio thread therefore waits at most for the one
// critical section that was running when it arrived.
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
        for (;;) {
            while (audio_waiting_.load(std::memory_order_acquire) != 0) std::this_thread::yield();
            mutex_.lock();
            if (audio_waiting_.load(std::memory_order_acquire) == 0) {
                ++engine_lock_depth;
                return;
            }
            mutex_.unlock();  // the audio thread came in meanwhile: it goes first
        }
    }
    void unlock() {
        --engine_lock_depth;
        mutex_.unlock();
    }

    // The audio thread.  An uncontended lock costs what try_lock costs; only a wait is timed.
    void lock_audio() {
        ++engine_lock_depth;
        if (mutex_.try_lock()) return;
        const auto start = std::chrono::steady_clock::now();
        audio_waiting_.fetch_add(1, std::memory_order_acq_rel);
        mutex_.lock();
        audio_waiting_.fetch_sub(1, std::memory_order_acq_rel);
        const auto waited = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start);
        const int64_t ns = waited.count();
        if (ns > longest_audio_wait_ns_.load(std::memory_order_relaxed))
            longest_audio_wait_ns_.store(ns, std::memory_order_relaxed);
    }
    void unlock_audio() {
        --engine_lock_depth;
        mutex_.unlock();
    }

    // The longest the audio thread has waited since the last call, in nanoseconds.
    int64_t take_longest_audio_wait_ns() { return longest_audio_wait_ns_.exchange(0, std::memory_order_relaxed); }

private:
    std::mutex mutex_;
    std::atomic<int> audio_waiting_{0};
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
