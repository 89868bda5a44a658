// The distortion, overdrive, noise gate, amplitude modulation and phase inversion stages, each
// on 4096 stereo frames at 44100 Hz with its defaults.  Counters: ns per frame and times real time.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "effects/amp_mod.h"
#include "effects/distortion.h"
#include "effects/denoise.h"
#include "effects/overdrive.h"
#include "effects/phase_invert.h"

namespace {

constexpr int kRate = 44100;
constexpr int kFrames = 4096;

// Music-like and loud: two partials near full scale, the right channel shifted.
std::vector<int16_t> loud_input() {
    std::vector<int16_t> pcm(2 * kFrames);
    for (int n = 0; n < kFrames; ++n)
        for (int c = 0; c < 2; ++c) {
            const double t = double(n) / kRate;
            const double v = 0.6 * std::sin(2 * M_PI * 110.0 * t + c) + 0.38 * std::sin(2 * M_PI * 1234.0 * t + 2 * c);
            pcm[2 * n + c] = static_cast<int16_t>(32000.0 * v);
        }
    return pcm;
}

// One stage at its defaults, `tweak` applied after the reset.
template <class Fx>
void run_stage(benchmark::State& state, void (*tweak)(Fx&) = nullptr) {
    auto fx = std::make_unique<Fx>();
    if constexpr (requires { vemo::fx_reset(*fx, kRate, 2); }) vemo::fx_reset(*fx, kRate, 2);
    if (tweak) tweak(*fx);
    const std::vector<int16_t> input = loud_input();
    std::vector<int16_t> pcm(input.size());
    std::vector<float> work(vemo::kMaxFrames);
    const vemo::StageContext ctx{kRate, 2, kFrames, 2 * kFrames, work.data()};
    for (auto _ : state) {
        std::memcpy(pcm.data(), input.data(), input.size() * sizeof(int16_t));
        vemo::fx_process(*fx, pcm.data(), ctx);
        benchmark::ClobberMemory();
    }
    state.counters["ns_per_frame"] =
        benchmark::Counter(kFrames, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["x_realtime"] = benchmark::Counter(double(kFrames) / kRate, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Distortion(benchmark::State& s) { run_stage<vemo::Distortion>(s); }
void BM_Overdrive(benchmark::State& s) { run_stage<vemo::Overdrive>(s); }
void BM_OverdriveLowpass(benchmark::State& s) {
    run_stage<vemo::Overdrive>(s, [](vemo::Overdrive& fx) { fx.params.odrive_lowpass_on = 1; });
}
void BM_Denoise(benchmark::State& s) { run_stage<vemo::Denoise>(s); }
void BM_AmpModSine(benchmark::State& s) { run_stage<vemo::AmpMod>(s); }
void BM_AmpModTriangle(benchmark::State& s) {
    run_stage<vemo::AmpMod>(s, [](vemo::AmpMod& fx) { fx.params.am_waveform = 1; });
}
void BM_PhaseInvert(benchmark::State& s) { run_stage<vemo::PhaseInvert>(s); }

}  // namespace

BENCHMARK(BM_Distortion);
BENCHMARK(BM_Overdrive);
BENCHMARK(BM_OverdriveLowpass);
BENCHMARK(BM_Denoise);
BENCHMARK(BM_AmpModSine);
BENCHMARK(BM_AmpModTriangle);
BENCHMARK(BM_PhaseInvert);
