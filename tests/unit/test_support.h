// Shared helpers of the unit tests: a fresh library session and record builders.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "editor/editor.h"
#include "editor/headless/headless_backend.h"
#include "engine/engine.h"
#include "vemosoundmix.h"

namespace vemo::test {

inline HeadlessBackend& headless() { return dynamic_cast<HeadlessBackend&>(editor().backend()); }

// Closed, then begun and initialised: where every session test starts.
inline void start_library(int rate = 44100, int channels = 2, int show = 0) {
    vemomix_close();
    vemomix_set_dispmode(0);
    vemomix_begin();
    vemomix_init(rate, channels, show);
}

class Session : public ::testing::Test {
protected:
    static void start(int rate = 44100, int channels = 2, int show = 0) { start_library(rate, channels, show); }
    void SetUp() override { start(); }
    void TearDown() override { vemomix_close(); }

    static EffectSettings current() {
        EffectSettings s;
        std::memset(&s, 0, sizeof s);
        vemomix_get(&s);
        return s;
    }
};

inline std::vector<int> chain_types() {
    std::vector<int> out;
    for (const auto& r : editor().chain.rows) out.push_back(r.type());
    return out;
}

// Runs interleaved samples through one stage's process function, `chunk` frames (at most
// kMaxFrames) per call, the way the chain walk slices host buffers.
template <typename Fx>
void run_stage(Fx& fx, std::vector<int16_t>& pcm, int channels, int rate = 44100, int chunk = kMaxFrames) {
    std::vector<float> work(kMaxFrames);
    const int frames = static_cast<int>(pcm.size()) / channels;
    for (int done = 0; done < frames; done += chunk) {
        const int n = std::min(chunk, frames - done);
        fx_process(fx, pcm.data() + static_cast<size_t>(done) * channels,
                StageContext{rate, channels, n, n * channels, work.data()});
    }
}

inline std::vector<int> published_chain() {
    std::vector<int> out;
    for (auto& t : engine().chain) out.push_back(t.load());
    return out;
}

// ---- shared by the effect tests

// A stage initialised and configured with `params`, as vemomix_init then vemomix_set leave it.
template <typename Fx, typename P>
std::unique_ptr<Fx> make_stage(const P& params, int rate = 44100, int channels = 2) {
    auto fx = std::make_unique<Fx>();
    fx_reset(*fx, rate, channels);
    fx->params = params;
    fx_configure(*fx, rate, channels);
    return fx;
}

// Every channel of every frame carries the same sine, truncated to 16 bits.
inline std::vector<int16_t> sine(int frames, double hz, double amplitude, int rate = 44100, int channels = 1) {
    std::vector<int16_t> out;
    for (int n = 0; n < frames; ++n)
        for (int c = 0; c < channels; ++c)
            out.push_back(static_cast<int16_t>(amplitude * std::sin(2 * 3.14159265358979323846 * hz * n / rate)));
    return out;
}

// White noise from the C library's classic generator, scaled to +/-amplitude (32768: full scale).
inline std::vector<int16_t> noise(size_t n, uint32_t seed = 3, int amplitude = 32768) {
    std::vector<int16_t> out(n);
    for (int16_t& v : out)
        v = static_cast<int16_t>((static_cast<int>((seed = seed * 214013u + 2531011u) >> 16 & 0x7FFF) * 2 - 32768) *
                                 amplitude / 32768);
    return out;
}

// Full-scale square wave, `half` samples per half-period, starting high unless `low_first`.
inline std::vector<int16_t> square(size_t n, size_t half, bool low_first = false) {
    std::vector<int16_t> out(n);
    for (size_t i = 0; i < n; ++i) out[i] = ((i / half) % 2 != 0) != low_first ? -32768 : 32767;
    return out;
}

// pcm after one stage, through run_stage.
template <typename Fx>
std::vector<int16_t> processed(Fx& fx, std::vector<int16_t> pcm, int channels = 1, int rate = 44100,
                               int chunk = kMaxFrames) {
    run_stage(fx, pcm, channels, rate, chunk);
    return pcm;
}

inline void change(std::vector<int16_t>& pcm) { vemomix_change(pcm.data(), static_cast<int32_t>(pcm.size() * 2)); }

// The library's record with `edit` applied, handed back through vemomix_set.
template <typename Edit>
EffectSettings set_record(Edit edit) {
    EffectSettings s;
    std::memset(&s, 0, sizeof s);
    vemomix_get(&s);
    edit(s);
    vemomix_set(s);
    return s;
}

template <typename Range>
bool all_finite(const Range& values) {
    return std::all_of(std::begin(values), std::end(values), [](double v) { return std::isfinite(v); });
}

inline int peak_abs(const std::vector<int16_t>& v, size_t from = 0, size_t to = SIZE_MAX, size_t step = 1) {
    int p = 0;
    for (size_t i = from; i < std::min(to, v.size()); i += step) p = std::max(p, std::abs(static_cast<int>(v[i])));
    return p;
}

}  // namespace vemo::test
