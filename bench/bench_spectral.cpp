// Pitch changer, phaser, wah-wah and super bass, each on 4096 stereo frames at 44100 Hz with
// its defaults. Counters: CPU time per frame and how many times faster than real time, mean
// and fastest block.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

#include "effects/phaser.h"
#include "effects/pitch_changer.h"
#include "effects/super_bass.h"
#include "effects/wah.h"

namespace {

constexpr int kRate = 44100;
constexpr int kFrames = vemo::kMaxFrames;

std::vector<int16_t> program() {
    std::vector<int16_t> pcm(2 * kFrames);
    for (int i = 0; i < kFrames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        pcm[2 * i] = static_cast<int16_t>(9000 * std::sin(2 * 3.14159265 * 220 * t) + 3000 * std::sin(2 * 3.14159265 * 3100 * t));
        pcm[2 * i + 1] = static_cast<int16_t>(8000 * std::sin(2 * 3.14159265 * 330 * t));
    }
    return pcm;
}

// Runs one stage over the same program buffer again and again (the stage keeps its history).
template <typename Fx>
void run_stage(benchmark::State& state, Fx& fx) {
    const std::vector<int16_t> source = program();
    std::vector<int16_t> pcm(source.size());
    std::vector<float> work(vemo::kMaxFrames);
    vemo::StageContext ctx;
    ctx.rate = kRate;
    ctx.channels = 2;
    ctx.frames = kFrames;
    ctx.sample_count = 2 * kFrames;
    ctx.work = work.data();
    // The fastest block as well as the mean: on a shared, loaded machine the mean mostly
    // measures the neighbours.
    double best = 1e30;
    for (auto _ : state) {
        state.PauseTiming();
        pcm = source;
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        vemo::fx_process(fx, pcm.data(), ctx);
        benchmark::ClobberMemory();
        best = std::min(best, std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["per_frame"] =
        benchmark::Counter(kFrames, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["x_realtime"] = benchmark::Counter(static_cast<double>(kFrames) / kRate,
                                                      benchmark::Counter::kIsIterationInvariantRate);
    state.counters["best_ns_per_frame"] = best / kFrames;
    state.counters["best_x_realtime"] = 1e9 * kFrames / kRate / best;
}

void BM_PitchChanger(benchmark::State& state) {
    auto fx = std::make_unique<vemo::PitchChanger>();
    vemo::fx_reset(*fx, kRate, 2);
    run_stage(state, *fx);
}
BENCHMARK(BM_PitchChanger)->Unit(benchmark::kMicrosecond);

void BM_Phaser(benchmark::State& state) {
    auto fx = std::make_unique<vemo::Phaser>();
    vemo::fx_reset(*fx, kRate, 2);
    run_stage(state, *fx);
}
BENCHMARK(BM_Phaser)->Unit(benchmark::kMicrosecond);

void BM_Wah(benchmark::State& state) {
    auto fx = std::make_unique<vemo::Wah>();
    vemo::fx_reset(*fx, kRate, 2);
    run_stage(state, *fx);
}
BENCHMARK(BM_Wah)->Unit(benchmark::kMicrosecond);

void BM_SuperBass(benchmark::State& state) {
    auto fx = std::make_unique<vemo::SuperBass>();
    vemo::fx_reset(*fx, kRate, 2);
    run_stage(state, *fx);
}
BENCHMARK(BM_SuperBass)->Unit(benchmark::kMicrosecond);

}  // namespace
