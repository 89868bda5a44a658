// Shared helpers of the unit tests: a fresh library session and record builders.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
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
template <typename Fx, typename Process>
void run_stage(Fx& fx, Process process, std::vector<int16_t>& pcm, int channels, int rate = 44100,
               int chunk = kMaxFrames) {
    std::vector<float> work(kMaxFrames);
    const int frames = static_cast<int>(pcm.size()) / channels;
    for (int done = 0; done < frames; done += chunk) {
        const int n = std::min(chunk, frames - done);
        process(fx, pcm.data() + static_cast<size_t>(done) * channels,
                StageContext{rate, channels, n, n * channels, 1.0f, work.data()});
    }
}

inline std::vector<int> published_chain() {
    std::vector<int> out;
    for (auto& t : engine().chain) out.push_back(t.load());
    return out;
}

}  // namespace vemo::test
