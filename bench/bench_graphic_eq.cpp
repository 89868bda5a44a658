// The graphic equaliser on 4096 stereo frames at 44100 Hz, beside a floor of the bare
// multiply-adds the bank must do (4 per band and pass).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "effects/graphic_eq.h"
#include "effects/random.h"

namespace {

constexpr int kFrames = 4096;
constexpr int kRate = 44100;

std::vector<int16_t> programme() {
    std::vector<int16_t> pcm(2 * kFrames);
    vemo::Rng rng;
    for (int n = 0; n < kFrames; ++n) {
        const double t = static_cast<double>(n) / kRate;
        pcm[2 * n] = static_cast<int16_t>(9000 * std::sin(2 * M_PI * 220 * t) + 4000 * std::sin(2 * M_PI * 3100 * t));
        pcm[2 * n + 1] = static_cast<int16_t>(7000 * std::sin(2 * M_PI * 330 * t) + (rng.next() % 2001) - 1000);
    }
    return pcm;
}

void report(benchmark::State& state) {
    const double frames = static_cast<double>(state.iterations()) * kFrames;
    state.counters["ns_per_frame"] =
        benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["x_realtime"] = benchmark::Counter(frames / kRate, benchmark::Counter::kIsRate);
}

void bench_eq(benchmark::State& state, int bands, bool extra) {
    auto eq = std::make_unique<vemo::EqState>();
    vemo::eq_set_band_count(*eq, bands, kRate, 2);
    for (int c = 0; c < 2; ++c)
        for (int b = 0; b < bands; ++b) vemo::eq_set_gain(*eq, static_cast<float>((b % 9) - 4), b, c);
    eq->eq_extra_filter.store(extra ? 1 : 0);
    const std::vector<int16_t> input = programme();
    std::vector<int16_t> pcm(input.size());
    const vemo::StageContext ctx{kRate, 2, kFrames, 2 * kFrames, nullptr};
    for (auto _ : state) {
        std::memcpy(pcm.data(), input.data(), input.size() * sizeof(int16_t));
        vemo::fx_process(*eq, pcm.data(), ctx);
        benchmark::DoNotOptimize(pcm.data());
        benchmark::ClobberMemory();
    }
    report(state);
}

void BM_Eq31BandsSecondPass(benchmark::State& state) { bench_eq(state, 31, true); }
void BM_Eq31BandsOnePass(benchmark::State& state) { bench_eq(state, 31, false); }
void BM_Eq10BandsOnePass(benchmark::State& state) { bench_eq(state, 10, false); }

// The floor: per frame, channel, band and pass, the four multiplies and their adds of
// y = a (x - x2) + g y1 - b y2; acc += w y, with nothing else (no rotation, no float memory,
// no rounding) and every band independent.
void BM_EqMultiplyAddFloor(benchmark::State& state) {
    constexpr int kUnits = 31 * 2 * 2;  // bands x passes x channels
    alignas(64) double a[kUnits], g[kUnits], b[kUnits], w[kUnits], x2[kUnits], y1[kUnits], y2[kUnits];
    for (int u = 0; u < kUnits; ++u) {
        a[u] = 0.01 + u * 1e-4, g[u] = 1.9 - u * 1e-3, b[u] = 0.95 - u * 1e-4, w[u] = 0.5;
        x2[u] = y1[u] = y2[u] = 0;
    }
    const std::vector<int16_t> input = programme();
    for (auto _ : state) {
        double total = 0;
        for (int n = 0; n < kFrames; ++n) {
            const double x = input[2 * n];
            double acc = 0;
            for (int u = 0; u < kUnits; ++u) {
                const double y = a[u] * (x - x2[u]) + g[u] * y1[u] - b[u] * y2[u];
                y2[u] = y1[u], y1[u] = y, x2[u] = x;
                acc += w[u] * y;
            }
            total += acc;
        }
        benchmark::DoNotOptimize(total);
    }
    report(state);
}

}  // namespace

BENCHMARK(BM_Eq31BandsSecondPass);
BENCHMARK(BM_Eq31BandsOnePass);
BENCHMARK(BM_Eq10BandsOnePass);
BENCHMARK(BM_EqMultiplyAddFloor);
