// What a plugin costs beside the library's export: each effect at its defaults, mono and stereo,
// at 44100 Hz in 1024-frame blocks of music-like sound.  Every iteration runs the same block
// three ways, each timed on its own so that all three see the same load on a shared machine, and
// each reported as its median block, which a preempted block does not move:
//   export     the block copied in and vemomix_change, the process-wide instance;
//   conversion the host's floats to 16 bits and back, as the plugin does it;
//   plugin     the block copied in and the plugin's run().
// The counter `ratio` is plugin / (export + conversion): the plugin's own overhead.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <lv2/core/lv2.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "../tests/torture/torture.h"
#include "effects/pcm16.h"
#include "lv2/ports.h"
#include "lv2/uris.h"
#include "settings/effect_types.h"
#include "vemosoundmix.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 44100, kFrames = 1024, kBlocks = 43;  // one second, so the effects' state moves

// A chord of harmonic-rich tones with a little hiss, near -6 dBFS; channel c interleaved.
std::vector<int16_t> music(int channels) {
    std::vector<int16_t> out(static_cast<size_t>(kFrames) * kBlocks * channels);
    constexpr double kNotes[] = {110.0, 164.81, 220.0, 277.18};
    uint32_t x = 12345;
    for (size_t i = 0; i < out.size(); ++i) {
        const int c = static_cast<int>(i % channels);
        const double t = static_cast<double>(i / channels) / kRate;
        double v = 0;
        for (double f : kNotes)
            for (int h = 1; h <= 6; ++h) v += std::sin(6.283185307179586 * f * h * t + c * 0.7 * h) / h;
        x = x * 1664525u + 1013904223u;
        out[i] = static_cast<int16_t>(v * 1500.0 + (static_cast<int32_t>(x >> 16) - 32768) / 100.0);
    }
    return out;
}

const LV2_Descriptor* descriptor(int type, int channels) {
    static void* so = dlopen(VEMO_LV2_BINARY, RTLD_NOW | RTLD_LOCAL);
    const auto get = so ? reinterpret_cast<LV2_Descriptor_Function>(dlsym(so, "lv2_descriptor")) : nullptr;
    for (uint32_t i = 0; get != nullptr && get(i) != nullptr; ++i)
        if (get(i)->URI == vemo::lv2::plugin_uri(type, channels)) return get(i);
    return nullptr;
}

double ns_since(Clock::time_point t0) { return std::chrono::duration<double, std::nano>(Clock::now() - t0).count(); }

double median(std::vector<double>& v) {
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void BM_PluginVsExport(benchmark::State& state) {
    const int type = static_cast<int>(state.range(0)), ch = static_cast<int>(state.range(1));
    state.SetLabel(std::string(vemo::kEffects[type].key) + (ch == 1 ? "/mono" : "/stereo"));
    const std::vector<int16_t> pcm_in = music(ch);
    const size_t block = static_cast<size_t>(kFrames) * ch;

    // The export: a fresh session with this effect alone on at its defaults.
    vemomix_begin();
    vemomix_init(kRate, ch, 0);
    EffectSettings s = vemo::torture::current_record();
    vemo::torture::set_flag(s, type, 1);
    vemomix_set(s);
    std::vector<int16_t> pcm(block);

    // The plugin, as a host runs it: its own planar float buffers, every control at its default.
    const LV2_Descriptor* d = descriptor(type, ch);
    if (d == nullptr) {
        state.SkipWithError("the plugin binary or this plugin is missing");
        return;
    }
    LV2_Handle h = d->instantiate(d, kRate, "", nullptr);
    std::vector<float> controls;
    for (const auto& p : vemo::lv2::control_ports(type, ch)) controls.push_back(static_cast<float>(p.def));
    float latency = 0;
    std::vector<float> in_planar(static_cast<size_t>(kFrames) * kBlocks * ch), in[2], out[2];
    for (size_t i = 0; i < pcm_in.size(); ++i)
        in_planar[(i % ch) * kFrames * kBlocks + i / ch] = static_cast<float>(pcm_in[i]) / 32768.0f;
    for (int c = 0; c < ch; ++c) {
        in[c].resize(kFrames), out[c].resize(kFrames);
        d->connect_port(h, static_cast<uint32_t>(c), in[c].data());
        d->connect_port(h, static_cast<uint32_t>(ch + c), out[c].data());
    }
    for (size_t i = 0; i < controls.size(); ++i) d->connect_port(h, static_cast<uint32_t>(2 * ch + i), &controls[i]);
    d->connect_port(h, static_cast<uint32_t>(2 * ch + controls.size()), &latency);
    d->activate(h);

    // The conversion alone, on the same floats (its result kept so that it is not optimised away).
    std::vector<int16_t> conv(block);
    std::vector<float> back(block);

    std::vector<double> export_ns, conv_ns, plugin_ns;
    for (auto* v : {&export_ns, &conv_ns, &plugin_ns}) v->reserve(1 << 20);
    size_t b = 0;
    for (auto _ : state) {
        const size_t at = b * block;
        Clock::time_point t0 = Clock::now();
        std::memcpy(pcm.data(), pcm_in.data() + at, block * 2);
        vemomix_change(pcm.data(), static_cast<int32_t>(block * 2));
        benchmark::ClobberMemory();
        export_ns.push_back(ns_since(t0));

        t0 = Clock::now();
        bool clipped = false;
        for (int c = 0; c < ch; ++c) {
            const float* src = in_planar.data() + static_cast<size_t>(c) * kFrames * kBlocks + b * kFrames;
            for (int i = 0; i < kFrames; ++i) conv[static_cast<size_t>(i * ch + c)] = vemo::pcm16_from_normalised(src[i], clipped);
        }
        for (size_t i = 0; i < block; ++i) back[i] = static_cast<float>(conv[i]) / 32768.0f;
        benchmark::DoNotOptimize(back.data());
        benchmark::ClobberMemory();
        conv_ns.push_back(ns_since(t0));

        t0 = Clock::now();
        for (int c = 0; c < ch; ++c)
            std::memcpy(in[c].data(), in_planar.data() + static_cast<size_t>(c) * kFrames * kBlocks + b * kFrames,
                        sizeof(float) * kFrames);
        d->run(h, kFrames);
        benchmark::ClobberMemory();
        plugin_ns.push_back(ns_since(t0));
        b = (b + 1) % kBlocks;
    }
    d->deactivate(h);
    d->cleanup(h);
    vemomix_close();

    const double e = median(export_ns), c = median(conv_ns), p = median(plugin_ns);
    state.counters["export_us"] = e / 1000;
    state.counters["conv_us"] = c / 1000;
    state.counters["plugin_us"] = p / 1000;
    state.counters["ratio"] = p / (e + c);
}

void all_effects(benchmark::internal::Benchmark* b) {
    for (int t = 1; t <= vemo::kEffectCount; ++t)
        for (int ch : {1, 2}) b->Args({t, ch});
}

}  // namespace

BENCHMARK(BM_PluginVsExport)->Apply(all_effects)->MinTime(0.2);
