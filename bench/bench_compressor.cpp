// The compressor on 4096 stereo frames at 44100 Hz: above its threshold (one pow per
// sample) and below it.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "effects/compressor.h"

namespace {

constexpr int kFrames = 4096;
constexpr int kRate = 44100;

void bench_comp(benchmark::State& state, double amplitude) {
    vemo::Compressor fx;
    vemo::fx_reset(fx, kRate, 2);
    std::vector<int16_t> input(2 * kFrames);
    for (int n = 0; n < kFrames; ++n) {
        input[2 * n] = static_cast<int16_t>(amplitude * std::sin(2 * M_PI * 440 * n / kRate));
        input[2 * n + 1] = static_cast<int16_t>(amplitude * std::sin(2 * M_PI * 660 * n / kRate));
    }
    std::vector<int16_t> pcm(input.size());
    const vemo::StageContext ctx{kRate, 2, kFrames, 2 * kFrames, nullptr};
    for (auto _ : state) {
        std::memcpy(pcm.data(), input.data(), input.size() * sizeof(int16_t));
        vemo::fx_process(fx, pcm.data(), ctx);
        benchmark::DoNotOptimize(pcm.data());
        benchmark::ClobberMemory();
    }
    const double frames = static_cast<double>(state.iterations()) * kFrames;
    state.counters["ns_per_frame"] =
        benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["x_realtime"] = benchmark::Counter(frames / kRate, benchmark::Counter::kIsRate);
}

// A full-scale sine keeps the detector above the default -20 dB threshold all the time.
void BM_CompressorAboveThreshold(benchmark::State& state) { bench_comp(state, 30000); }
void BM_CompressorBelowThreshold(benchmark::State& state) { bench_comp(state, 1000); }

}  // namespace

BENCHMARK(BM_CompressorAboveThreshold);
BENCHMARK(BM_CompressorBelowThreshold);
