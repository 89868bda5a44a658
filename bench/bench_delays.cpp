// The delay stages on 4096 stereo frames at 44100 Hz with their defaults (the reverberation
// also with a full table of 100 taps); items processed are frames, so the report reads per frame.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "effects/chorus.h"
#include "effects/drift.h"
#include "effects/echo.h"
#include "effects/reverb.h"
#include "effects/vibrato.h"

namespace {

constexpr int kRate = 44100, kChannels = 2, kFrames = vemo::kMaxFrames;

// A 440 Hz tone at half scale; each iteration restores it so every pass sees real audio.
const std::vector<int16_t>& tone() {
    static const std::vector<int16_t> t = [] {
        std::vector<int16_t> v(kFrames * kChannels);
        for (int i = 0; i < kFrames; ++i)
            v[2 * i] = v[2 * i + 1] = static_cast<int16_t>(16000 * std::sin(i * 2 * 3.141592653589793 * 440 / kRate));
        return v;
    }();
    return t;
}

template <typename Fx>
void run(benchmark::State& state, Fx& fx) {
    std::vector<int16_t> pcm = tone();
    static float work[kFrames];
    vemo::StageContext ctx;
    ctx.rate = kRate;
    ctx.channels = kChannels;
    ctx.frames = kFrames;
    ctx.sample_count = kFrames * kChannels;
    ctx.work = work;
    for (auto _ : state) {
        std::copy(tone().begin(), tone().end(), pcm.begin());
        vemo::fx_process(fx, pcm.data(), ctx);
        benchmark::DoNotOptimize(pcm.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
    // Audio seconds per wall second.
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(kFrames) / kRate, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Echo(benchmark::State& state) {
    vemo::Echo fx;
    vemo::fx_reset(fx, kRate, kChannels);
    run(state, fx);
}

void BM_Drift(benchmark::State& state) {
    vemo::Drift fx;
    vemo::fx_reset(fx, kRate, kChannels);
    run(state, fx);
}

void BM_Chorus(benchmark::State& state) {
    vemo::Chorus fx;
    vemo::fx_reset(fx, kRate, kChannels);
    run(state, fx);
}

void BM_Reverb(benchmark::State& state) {
    auto fx = std::make_unique<vemo::Reverb>();
    fx->params.reverb_tap_count = static_cast<int16_t>(state.range(0));
    vemo::fx_configure(*fx, kRate, kChannels);
    run(state, *fx);
}

void BM_Vibrato(benchmark::State& state) {
    vemo::Vibrato fx;
    vemo::fx_reset(fx, kRate, kChannels);
    vemo::fx_configure(fx, kRate, kChannels);
    run(state, fx);
}

}  // namespace

BENCHMARK(BM_Echo);
BENCHMARK(BM_Drift);
BENCHMARK(BM_Chorus);
BENCHMARK(BM_Reverb)->Arg(20)->Arg(100);
BENCHMARK(BM_Vibrato);
