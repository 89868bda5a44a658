// The most work any record and any signal can ask of the whole chain: all sixteen on at 48000 Hz
// stereo in 1024-frame buffers, with every field that sets the work per sample at its costliest
// (pitch frame 8192 with the largest overlap asked, 100 reverb taps, 31 equaliser bands, the
// overdrive's highest drive with its output low-pass) and the signals that make the overdrive's
// Newton solve work hardest: full-scale white noise and full-scale alternation at half the rate.
// `share` is the CPU time a buffer takes over its duration: the whole chain must stay under 0.8.
// The overdrive alone is timed twice: with its step budget (`exact` is the share of its output
// samples that equal the unbounded solve's) and with the budget lifted (`share` of the unbounded
// solve); the stages alone show where the time goes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "../tests/torture/torture.h"
#include "engine/engine.h"
#include "vemosoundmix.h"

namespace {

constexpr int kRate = 48000, kChannels = 2, kFrames = 1024;
constexpr size_t kSamples = static_cast<size_t>(kFrames) * kChannels;

std::vector<int16_t> signal(int kind) {
    std::vector<int16_t> out(kSamples);
    uint32_t x = 777;
    for (size_t i = 0; i < kSamples; ++i) {
        x = x * 1664525u + 1013904223u;
        out[i] = kind == 0 ? static_cast<int16_t>(x >> 16) : ((i / kChannels) % 2 ? 32767 : -32768);
    }
    return out;
}

// The costliest record with the listed effects on (0: all sixteen).
void start(int only, int32_t ohms) {
    vemomix_close();
    vemomix_begin();
    vemomix_init(kRate, kChannels, 0);
    EffectSettings s = vemo::torture::current_record();
    for (int t = 1; t <= 16; ++t) vemo::torture::set_flag(s, t, only == 0 || only == t ? 1 : 0);
    // The overdrive first, so that it meets the signal before anything tames it.
    vemo::torture::set_chain(s, {5, 1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    s.pitch_octaves = 0.9f;
    s.pitch_frame_size = 8192;
    s.pitch_oversampling = 8192;
    s.reverb_tap_count = 100;
    s.eq_band_count = 31;
    s.odrive_drive_ohms = ohms;
    s.odrive_lowpass_on = 1;
    vemomix_set(s);
}

// Output of 16 buffers of the overdrive alone, from the start, with or without its step budget.
std::vector<int16_t> overdrive_output(int kind, int32_t ohms, bool exact) {
    start(5, ohms);
    vemo::engine().odrive.exact_solve = exact;
    std::vector<int16_t> out;
    for (int b = 0; b < 16; ++b) {
        std::vector<int16_t> pcm = signal(kind);
        vemomix_change(pcm.data(), static_cast<int32_t>(kSamples * 2));
        out.insert(out.end(), pcm.begin(), pcm.end());
    }
    return out;
}

void run(benchmark::State& state, int only, bool exact = false) {
    const int kind = static_cast<int>(state.range(0));
    const int32_t ohms = static_cast<int32_t>(state.range(1));
    state.SetLabel(kind == 0 ? "white noise" : "alternation");
    if (only == 5 && !exact) {
        const std::vector<int16_t> bounded = overdrive_output(kind, ohms, false), plain = overdrive_output(kind, ohms, true);
        size_t same = 0;
        for (size_t i = 0; i < plain.size(); ++i) same += bounded[i] == plain[i];
        state.counters["exact"] = static_cast<double>(same) / static_cast<double>(plain.size());
    }
    start(only, ohms);
    vemo::engine().odrive.exact_solve = exact;
    const std::vector<int16_t> input = signal(kind);
    std::vector<int16_t> pcm(kSamples);
    for (auto _ : state) {
        std::memcpy(pcm.data(), input.data(), kSamples * 2);
        benchmark::DoNotOptimize(vemomix_change(pcm.data(), static_cast<int32_t>(kSamples * 2)));
        benchmark::ClobberMemory();
    }
    using C = benchmark::Counter;
    state.counters["share"] = C(static_cast<double>(kFrames) / kRate, C::kIsIterationInvariantRate | C::kInvert);
    vemo::engine().odrive.exact_solve = false;
    vemomix_close();
}

void BM_WorstChain(benchmark::State& state) { run(state, 0); }
void BM_WorstOverdrive(benchmark::State& state) { run(state, 5); }
void BM_WorstOverdriveUnbounded(benchmark::State& state) { run(state, 5, true); }
void BM_WorstPitch(benchmark::State& state) { run(state, 3); }

void drives(benchmark::internal::Benchmark* b) {
    for (int kind : {0, 1})
        for (int ohms : {520, 2200, 4700, 100000}) b->Args({kind, ohms});
}

}  // namespace

BENCHMARK(BM_WorstChain)->Apply(drives)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WorstOverdrive)->Apply(drives)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WorstOverdriveUnbounded)->Apply(drives)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WorstPitch)->Args({0, 520})->Unit(benchmark::kMillisecond);
