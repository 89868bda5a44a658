// The whole library as a host drives it: every effect alone and the full chain (all sixteen
// on at their defaults) through vemomix_change, 4096 stereo frames at 44100 Hz; and the silent
// tail after loud input through every effect with filter or delay memory, with the audio path's
// denormal flushing and, for comparison, with the stage called directly under the default
// floating-point state.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "../tests/torture/torture.h"
#include "engine/engine.h"
#include "settings/effect_types.h"
#include "vemosoundmix.h"

namespace {

using vemo::kEffects;

constexpr int kRate = 44100, kChannels = 2, kFrames = 4096;
constexpr size_t kSamples = static_cast<size_t>(kFrames) * kChannels;

// Programme material, the same every run: a chord of harmonic-rich tones with a little hiss,
// peaking near -6 dBFS, as music reaches a playout chain.
const std::vector<int16_t>& music() {
    static const std::vector<int16_t> v = [] {
        std::vector<int16_t> out(kSamples);
        constexpr double kNotes[] = {110.0, 164.81, 220.0, 277.18};
        uint32_t x = 12345;
        for (int i = 0; i < kFrames; ++i) {
            for (int c = 0; c < kChannels; ++c) {
                double v = 0;
                for (double f : kNotes)
                    for (int h = 1; h <= 6; ++h) v += std::sin(6.283185307179586 * f * h * i / kRate + c * 0.7 * h) / h;
                x = x * 1664525u + 1013904223u;
                v = v * 1500.0 + (static_cast<int32_t>(x >> 16) - 32768) / 100.0;
                out[static_cast<size_t>(i) * kChannels + c] = static_cast<int16_t>(v);
            }
        }
        return out;
    }();
    return v;
}

// The worst case for the oversampled stages: white noise at about -12 dBFS.
const std::vector<int16_t>& noise() {
    static const std::vector<int16_t> v = [] {
        std::vector<int16_t> out(kSamples);
        uint32_t x = 12345;
        for (auto& s : out) {
            x = x * 1664525u + 1013904223u;
            s = static_cast<int16_t>(static_cast<int32_t>(x >> 16) - 32768) / 4;
        }
        return out;
    }();
    return v;
}

// A fresh 44100 Hz stereo session with the listed effects on at their defaults, in the default order.
void start(std::initializer_list<int> on) {
    vemomix_close();
    vemomix_begin();
    vemomix_init(kRate, kChannels, 0);
    EffectSettings s = vemo::torture::current_record();
    for (int t : on) vemo::torture::set_flag(s, t, 1);
    vemomix_set(s);
}

void report(benchmark::State& state, int frames_per_iteration) {
    state.SetItemsProcessed(state.iterations() * frames_per_iteration);
    using C = benchmark::Counter;
    state.counters["ns_per_frame"] = C(frames_per_iteration * 1e-9, C::kIsIterationInvariantRate | C::kInvert);
    state.counters["x_realtime"] = C(static_cast<double>(frames_per_iteration) / kRate, C::kIsIterationInvariantRate);
}

// Each pass restores the programme, so every buffer is real audio (the copy is ~1 us).
void run_programme(benchmark::State& state, const std::vector<int16_t>& input = music()) {
    std::vector<int16_t> pcm(kSamples);
    for (auto _ : state) {
        std::memcpy(pcm.data(), input.data(), kSamples * 2);
        benchmark::DoNotOptimize(vemomix_change(pcm.data(), static_cast<int32_t>(kSamples * 2)));
        benchmark::ClobberMemory();
    }
    report(state, kFrames);
}

void BM_Effect(benchmark::State& state) {
    const int type = static_cast<int>(state.range(0));
    state.SetLabel(std::string(kEffects[type].key));
    start({type});
    run_programme(state);
    vemomix_close();
}

void BM_FullChain(benchmark::State& state) {
    start({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    run_programme(state);
    vemomix_close();
}

void BM_FullChainNoise(benchmark::State& state) {
    start({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    run_programme(state, noise());
    vemomix_close();
}

void BM_EffectNoise(benchmark::State& state) {
    const int type = static_cast<int>(state.range(0));
    state.SetLabel(std::string(kEffects[type].key));
    start({type});
    run_programme(state, noise());
    vemomix_close();
}

// Seconds of silence timed after each loud buffer: long enough for the filter memories to
// fall from full scale into the denormal range.
constexpr int kTailBuffers = 100;

// Loud noise (untimed), then silence through the effect; reports per silent frame.
template <typename Process>
void run_tail(benchmark::State& state, Process process) {
    std::vector<int16_t> loud(kSamples), silence(kSamples);
    uint32_t x = 99;
    for (auto& s : loud) {
        x = x * 1664525u + 1013904223u;
        s = static_cast<int16_t>(x >> 16);
    }
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<int16_t> burst = loud;
        process(burst.data());
        state.ResumeTiming();
        for (int b = 0; b < kTailBuffers; ++b) {
            std::memset(silence.data(), 0, kSamples * 2);
            process(silence.data());
            benchmark::ClobberMemory();
        }
    }
    report(state, kFrames * kTailBuffers);
}

// Through vemomix_change: denormals are flushed inside the call.
void BM_Tail(benchmark::State& state) {
    const int type = static_cast<int>(state.range(0));
    state.SetLabel(std::string(kEffects[type].key));
    start({type});
    run_tail(state, [](int16_t* p) { vemomix_change(p, static_cast<int32_t>(kSamples * 2)); });
    vemomix_close();
}

// The same stage called directly, under the caller's default floating-point state: what the
// tail would cost without the flush.
void BM_TailUnflushed(benchmark::State& state) {
    const int type = static_cast<int>(state.range(0));
    state.SetLabel(std::string(kEffects[type].key));
    start({type});
    vemo::EngineState& e = vemo::engine();
    static float work[vemo::kMaxFrames];
    vemo::StageContext ctx;
    ctx.rate = kRate;
    ctx.channels = kChannels;
    ctx.frames = kFrames;
    ctx.sample_count = kFrames * kChannels;
    ctx.work = work;
    run_tail(state, [&](int16_t* pcm) {
        std::lock_guard lock(e.mutex);
        switch (type) {
            case vemo::kGraphicEq: vemo::fx_process(e.eq, pcm, ctx); break;
            case vemo::kCompressor: vemo::fx_process(e.comp, pcm, ctx); break;
            case vemo::kDistortion: vemo::fx_process(e.dist, pcm, ctx); break;
            case vemo::kOverdrive: vemo::fx_process(e.odrive, pcm, ctx); break;
            case vemo::kEcho: vemo::fx_process(e.echo, pcm, ctx); break;
            case vemo::kDrift: vemo::fx_process(e.drift, pcm, ctx); break;
            case vemo::kPhaser: vemo::fx_process(e.phaser, pcm, ctx); break;
            case vemo::kChorus: vemo::fx_process(e.chorus, pcm, ctx); break;
            case vemo::kReverb: vemo::fx_process(e.reverb, pcm, ctx); break;
            case vemo::kWah: vemo::fx_process(e.wah, pcm, ctx); break;
            case vemo::kSuperBass: vemo::fx_process(e.bass, pcm, ctx); break;
            default: break;
        }
    });
    vemomix_close();
}

// Effects whose output feeds back through filter or delay memory.
void recursive_effects(benchmark::internal::Benchmark* b) {
    for (int t : {1, 2, 4, 5, 7, 8, 9, 11, 12, 13, 14}) b->Arg(t);
}

}  // namespace

BENCHMARK(BM_Effect)->DenseRange(1, 16)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullChain)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullChainNoise)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EffectNoise)->Arg(3)->Arg(5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Tail)->Apply(recursive_effects)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TailUnflushed)->Apply(recursive_effects)->Unit(benchmark::kMillisecond);
