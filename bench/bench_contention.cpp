// The audio thread at real-time pace while a control thread works as fast as it can: whole
// records set and read back, history cleared, effects switched, chain rows moved, band counts
// and gains changed, parameter pages chosen, moved and reset.  Reports the longest the audio
// thread waited for the engine, and how many buffers were finished after the moment the next
// one was due.
//
// A host runs its audio thread at real-time priority; so does this benchmark (when it may), and
// the control thread too, one step below, so that other processes on a shared machine neither
// delay the audio thread nor stop the control thread in the middle of a critical section: what
// is measured is the library's own locking.
#include <benchmark/benchmark.h>

#include <pthread.h>
#include <sched.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "../tests/unit/random_records.h"
#include "editor/editor.h"
#include "engine/engine.h"
#include "vemosoundmix.h"

namespace {

using namespace vemo::torture;
using vemo::torture::Rng;  // the torture generator, not the engine's
using Clock = std::chrono::steady_clock;

constexpr int kRate = 48000, kChannels = 2, kFrames = 1024;

// FIFO scheduling at `priority` for the calling thread; false where the system refuses it.
bool real_time(int priority) {
    sched_param p{};
    p.sched_priority = priority;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &p) == 0;
}

void BM_AudioBehindControlThread(benchmark::State& state) {
    vemomix_close();
    vemomix_begin();
    vemomix_init(kRate, kChannels, 0);
    const EffectSettings base = current_record();
    vemomix_set(all_on(base));
    const auto period = std::chrono::nanoseconds(1'000'000'000LL * kFrames / kRate);

    for (auto _ : state) {
        std::atomic<bool> stop{false};
        std::atomic<long> control_calls{0};
        std::atomic<bool> control_real_time{false};
        std::thread control([&] {
            control_real_time.store(real_time(10));
            Rng rng(0xC0DE);
            vemo::Editor& ed = vemo::editor();
            auto rested = Clock::now();
            while (!stop.load(std::memory_order_relaxed)) {
                // A real-time thread that never sleeps is stopped by the kernel for the rest of
                // each second once it has used 95 % of it (RT throttling), lock held or not:
                // a short rest every 2 ms keeps it under that, as any UI thread is.
                if (Clock::now() - rested > std::chrono::milliseconds(2)) {
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
                    rested = Clock::now();
                }
                switch (rng.range(0, 7)) {
                    case 0: vemomix_set(random_record(base, rng, true)); break;
                    case 1: {
                        EffectSettings s{};
                        vemomix_get(&s);
                        break;
                    }
                    case 2: vemomix_datarefresh(); break;
                    case 3: ed.chain.on_switch_clicked(rng.range(1, 16), rng.chance(70)); break;
                    case 4:
                        ed.chain.select_row(rng.range(0, 15));
                        ed.chain.move_selected(1);
                        break;
                    case 5: ed.eq.choose_band_count(rng.pick(vemo::kBandButtonCounts)); break;
                    case 6: {
                        // The parameter page: another effect, a slider, its default button.
                        if (rng.chance(20)) ed.param.choose_effect(rng.range(2, 16));
                        const int n = static_cast<int>(ed.param.sliders.size());
                        if (n > 0) {
                            const int i = rng.range(0, n - 1);
                            const vemo::ParamRow& row = *ed.param.sliders[static_cast<size_t>(i)].row;
                            ed.param.on_slider(i, rng.range(row.pos_min, row.pos_max));
                        }
                        if (rng.chance(10)) ed.param.on_defaults();
                        break;
                    }
                    default: ed.eq.on_band_slider(rng.range(0, 9), rng.range(0, 50)); break;
                }
                control_calls.fetch_add(1, std::memory_order_relaxed);
            }
        });

        const bool audio_real_time = real_time(50);
        Rng rng(0xA0D10);
        std::vector<int16_t> buf(static_cast<size_t>(kFrames) * kChannels);
        uint64_t phase = 0;
        long late = 0, buffers = 0;
        vemo::engine().mutex.take_longest_audio_wait_ns();
        const auto start = Clock::now();
        for (auto due = start; due < start + std::chrono::seconds(5); due += period, ++buffers) {
            std::this_thread::sleep_until(due);
            fill_signal(buf.data(), buf.size(), kChannels, Signal::kSine, rng, phase);
            vemomix_change(buf.data(), static_cast<int32_t>(buf.size() * 2));
            if (Clock::now() > due + period) ++late;
        }
        const int64_t longest_wait = vemo::engine().mutex.take_longest_audio_wait_ns();
        stop.store(true);
        control.join();
        state.counters["longest_wait_us"] = static_cast<double>(longest_wait) / 1000.0;
        state.counters["late_buffers"] = static_cast<double>(late);
        state.counters["buffers"] = static_cast<double>(buffers);
        state.counters["control_calls"] = static_cast<double>(control_calls.load());
        state.counters["real_time"] = audio_real_time && control_real_time.load();
        sched_param normal{};
        pthread_setschedparam(pthread_self(), SCHED_OTHER, &normal);
    }
    vemomix_close();
}
BENCHMARK(BM_AudioBehindControlThread)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
