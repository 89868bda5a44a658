// The LV2 plugins as a host loads them: the bundle's binary opened with dlopen, its descriptors,
// blocks of any size.  With the same settings and blocks, every plugin gives what the library's
// exports give (run here through the archive, the process-wide instance), sample for sample.
#include <dlfcn.h>
#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <pthread.h>

#include <atomic>
#include <cstdarg>
#include <random>
#include <string>

#include "../unit/alloc_hooks.h"
#include "../unit/test_support.h"
#include "lv2/ports.h"
#include "lv2/uris.h"
#include "engine/lifecycle.h"
#include "settings/param_table.h"

// The real-time hooks: every operator new and mutex lock of this process (the plugin's own
// included: this executable's definitions come first), counted while armed.
using alloc_hooks::g_allocations;
std::atomic<bool>& g_armed = alloc_hooks::g_counting;
std::atomic<long> g_locks{0};
extern "C" int pthread_mutex_lock(pthread_mutex_t* m) {
    static const auto real = reinterpret_cast<int (*)(pthread_mutex_t*)>(dlsym(RTLD_NEXT, "pthread_mutex_lock"));
    if (g_armed.load(std::memory_order_relaxed)) g_locks.fetch_add(1);
    return real(m);
}

namespace vemo::test {
namespace {

using lv2::ControlPort;

const LV2_Descriptor* descriptor(int type, int channels) {
    static void* so = dlopen(VEMO_LV2_BINARY, RTLD_NOW | RTLD_LOCAL);
    const auto get = reinterpret_cast<LV2_Descriptor_Function>(dlsym(so, "lv2_descriptor"));
    for (uint32_t i = 0; get != nullptr && get(i) != nullptr; ++i)
        if (get(i)->URI == lv2::plugin_uri(type, channels)) return get(i);
    return nullptr;
}

// The plugin logs through vprintf (lv2_log_error).
std::string g_log;
int log_printf(LV2_Log_Handle, LV2_URID, const char*, ...) { return 0; }
int log_vprintf(LV2_Log_Handle, LV2_URID, const char* fmt, va_list ap) {
    char buf[512];
    const int n = std::vsnprintf(buf, sizeof buf, fmt, ap);
    g_log += buf;
    return n;
}
LV2_Log_Log g_log_feature{nullptr, log_printf, log_vprintf};
const LV2_Feature g_log_uri{LV2_LOG__log, &g_log_feature};
const LV2_Feature* const g_features[] = {&g_log_uri, nullptr};

// A plugin instance with every port connected; audio goes in and out as interleaved floats.
struct Instance {
    int type, channels;
    const LV2_Descriptor* d;
    LV2_Handle h = nullptr;
    std::vector<ControlPort> ports;
    std::vector<float> controls;
    float latency = -1;
    std::vector<float> buf[2], out[2];

    Instance(int t, int ch, int rate = 22050) : type(t), channels(ch), d(descriptor(t, ch)), ports(lv2::control_ports(t, ch)) {
        for (const ControlPort& p : ports) controls.push_back(static_cast<float>(p.def));
        for (int c = 0; c < 2; ++c) buf[c].resize(8192), out[c].resize(8192);  // no allocation of ours while the hooks count
        h = d->instantiate(d, rate, VEMO_LV2_BUNDLE, g_features);
        for (size_t i = 0; i < controls.size(); ++i) d->connect_port(h, static_cast<uint32_t>(2 * ch + i), &controls[i]);
        d->connect_port(h, static_cast<uint32_t>(2 * ch + controls.size()), &latency);
        d->activate(h);
    }
    ~Instance() { d->cleanup(h); }
    // In place (each channel's buffer both input and output), or into buffers of their own.
    void run(float* interleaved, int frames, bool in_place = true) {
        for (int c = 0; c < channels; ++c) {
            if (buf[c].size() < static_cast<size_t>(frames)) buf[c].resize(static_cast<size_t>(frames));
            out[c].resize(buf[c].size());
            for (int i = 0; i < frames; ++i) buf[c][i] = interleaved[i * channels + c];
            d->connect_port(h, static_cast<uint32_t>(c), buf[c].data());
            d->connect_port(h, static_cast<uint32_t>(channels + c), (in_place ? buf : out)[c].data());
        }
        d->run(h, static_cast<uint32_t>(frames));
        for (int c = 0; c < channels; ++c)
            for (int i = 0; i < frames; ++i) interleaved[i * channels + c] = (in_place ? buf : out)[c][i];
    }
};

// Random slider positions (g null: the defaults): their port values into the instance, and the
// record values vemomix render would hand the library into rec.
void place(Instance& in, EffectSettings& rec, std::mt19937* g, int rate) {
    for (size_t i = 1; i < in.ports.size() && g; ++i) {
        const ControlPort& p = in.ports[i];
        const int32_t pos = std::uniform_int_distribution<int32_t>(p.row->pos_min, p.row->pos_max)(*g);
        in.controls[i] = static_cast<float>(lv2::port_value_at(p, pos));
        if (p.band >= 0) rec.eq_band_level[p.band] = pos;
        else param_write(rec, *p.row, param_value_at(*p.row, pos, rate, in.channels));
    }
    param_write(rec, *in.ports[0].row, 1);
}

std::vector<float> signal(int frames, int channels, uint32_t seed) {
    std::mt19937 g(seed);
    std::uniform_real_distribution<float> u(-1.2f, 1.2f);  // past full scale too: it clips on the way in
    std::vector<float> x(static_cast<size_t>(frames * channels));
    for (size_t i = 0; i < x.size(); ++i) x[i] = i < x.size() * 3 / 4 ? u(g) * (i % 997 < 500 ? 1.0f : 0.01f) : 0.0f;
    return x;
}

// The process-wide library as a new process finds it (some state, such as the compressor's
// detector, outlives vemomix_init), begun and initialised; its record in *out.
void fresh_library(int rate, int channels, EffectSettings* out = nullptr) {
    vemomix_close();
    EngineState& e = engine();
    for (int t = 1; t <= kEffectCount; ++t)
        if (void* fx = e.effect(t)) kEffectOps[t].destroy(fx), kEffectOps[t].construct(fx);
    e.rng = Rng{};
    e.eq.rng.share(&e.rng), e.reverb.rng.share(&e.rng);
    vemomix_begin();
    vemomix_init(rate, channels, 0);
    if (out) vemomix_get(out);
}

const int kBlocks[] = {0, 1, 7, 5000, 333, 4096, 0, 1024};
int block(int k, int fixed) { return fixed ? fixed : kBlocks[k % 8]; }

// The library's output for the record, in the same blocks (`fixed` frames, or kBlocks in turn),
// as vemomix render hands it: begin, init, the library's own record, then ours (and `later`
// halfway through).
std::vector<float> library(const EffectSettings& rec, const std::vector<float>& x, int rate, int channels, int fixed = 0,
                           const EffectSettings* later = nullptr) {
    fresh_library(rate, channels);
    EffectSettings own{};
    vemomix_get(&own);
    vemomix_set(own);
    vemomix_set(rec);
    std::vector<int16_t> pcm(x.size());
    for (size_t i = 0; i < x.size(); ++i) pcm[i] = static_cast<int16_t>(std::clamp(std::lrint(x[i] * 32768.0), -32768L, 32767L));
    const int frames = static_cast<int>(x.size()) / channels;
    for (int done = 0, k = 0; done < frames; ++k) {
        const int n = std::min(block(k, fixed), frames - done);
        if (later && done == frames / 2) vemomix_set(*later);
        vemomix_change(pcm.data() + done * channels, n * channels * 2);
        done += n;
    }
    std::vector<float> y(x.size());
    for (size_t i = 0; i < x.size(); ++i) y[i] = pcm[i] / 32768.0f;
    return y;
}

std::vector<float> plugin(Instance& in, std::vector<float> x, int fixed = 0) {
    const int frames = static_cast<int>(x.size()) / in.channels;
    for (int done = 0, k = 0; done < frames; ++k) {
        const int n = std::min(block(k, fixed), frames - done);
        in.run(x.data() + done * in.channels, n);
        done += n;
    }
    return x;
}

size_t first_difference(const std::vector<float>& a, const std::vector<float>& b) {
    return std::mismatch(a.begin(), a.end(), b.begin()).first - a.begin();
}

// Every plugin, mono and stereo, at its defaults and at random settings, in blocks of 0, 1,
// odd and more than 4096 frames, input and output the same buffer.
TEST(Lv2Plugin, EveryPluginRendersWhatTheLibraryRendersForTheSameSettingsAndBlocks) {
    std::mt19937 g(2511);
    for (int t = 1; t <= kEffectCount; ++t)
        for (const int ch : {1, 2})
            for (int trial = 0; trial < 2; ++trial) {
                Instance in(t, ch);
                EffectSettings rec{};
                fresh_library(22050, ch, &rec);
                place(in, rec, trial == 0 ? nullptr : &g, 22050);
                in.d->activate(in.h);  // the ports' new values, from a fresh start
                const std::vector<float> x = signal(12000, ch, static_cast<uint32_t>(t * 10 + ch));
                const std::vector<float> want = library(rec, x, 22050, ch), got = plugin(in, x);
                const size_t at = first_difference(want, got);
                ASSERT_EQ(at, want.size()) << kEffects[t].key << " " << ch << " ch, trial " << trial << ": sample " << at
                                           << ": " << want[at] * 32768 << " vs " << got[at] * 32768 << " in " << x[at] * 32768;
                if (t == kPitchChanger) {
                    EXPECT_EQ(in.latency, rec.pitch_frame_size - rec.pitch_frame_size / rec.pitch_oversampling);
                }
            }
}

// Two instances of one plugin with different settings, run in turn: each its own output.  An
// activate after a deactivate starts afresh: the same input gives the same output again.
TEST(Lv2Plugin, InstancesAreIndependentAndActivateStartsAfresh) {
    Instance a(kReverb, 2), b(kReverb, 2);
    EffectSettings ra{}, rb{};
    fresh_library(22050, 2, &ra);
    rb = ra;
    std::mt19937 g(7);
    place(a, ra, &g, 22050), place(b, rb, &g, 22050);
    a.d->activate(a.h), b.d->activate(b.h);
    const std::vector<float> x = signal(9000, 2, 3);
    std::vector<float> ya = x, yb = x;  // block by block, in turn
    for (int done = 0; done < 9000; done += 1000) a.run(ya.data() + 2 * done, 1000), b.run(yb.data() + 2 * done, 1000);
    EXPECT_NE(ya, yb);
    EXPECT_EQ(first_difference(ya, library(ra, x, 22050, 2, 1000)), x.size());
    EXPECT_EQ(first_difference(yb, library(rb, x, 22050, 2, 1000)), x.size());
    a.d->deactivate(a.h), a.d->activate(a.h);
    EXPECT_EQ(plugin(a, x, 1000), ya);
}

// The switch fades the effect out and in over 5 ms (phase inversion: from -x to x on a straight
// line); off, the input passes untouched into an output of its own.  A port moved between blocks
// acts from the next block as vemomix_set would there (the echo's delay).
TEST(Lv2Plugin, SwitchFadesAndAMovedPortActsFromTheNextBlock) {
    Instance inv(kPhaseInvert, 2);
    std::vector<float> y(12000);
    for (size_t i = 0; i < y.size(); ++i) y[i] = i % 2 ? -0.5f : 0.25f;
    const std::vector<float> x = y;
    inv.controls[0] = 0;
    inv.run(y.data(), 6000, false);
    for (int i = 0; i < 110; ++i)
        for (int c = 0; c < 2; ++c) ASSERT_NEAR(y[2 * i + c], x[c] * (-1 + 2 * (i + 1) / 110.25f), 1e-5) << i;
    EXPECT_TRUE(std::equal(y.begin() + 222, y.end(), x.begin() + 222));
    inv.controls[0] = 1;
    inv.run(y.data(), 200, false);
    EXPECT_TRUE(y[218] > -0.25f && y[222] == -0.25f && y[399] == 0.5f);

    Instance echo(kEcho, 2);
    EffectSettings r1{};
    fresh_library(22050, 2, &r1);
    place(echo, r1, nullptr, 22050);
    echo.d->activate(echo.h);
    EffectSettings r2 = r1;
    r2.echo_delay_s = 0.3f;
    const std::vector<float> s = signal(8000, 2, 9);
    std::vector<float> got = s;
    echo.run(got.data(), 4000);
    echo.controls[1] = 0.3f;  // echo_delay_s
    echo.run(got.data() + 8000, 4000);
    EXPECT_EQ(first_difference(got, library(r1, s, 22050, 2, 4000, &r2)), s.size());
    EXPECT_NE(got, library(r1, s, 22050, 2, 4000));
}

// Where the library does not run, no instance, and the host's log says why.
TEST(Lv2Plugin, UnsupportedRateGivesNoInstanceAndSaysWhy) {
    const LV2_Descriptor* d = descriptor(kEcho, 2);
    g_log.clear();
    EXPECT_EQ(d->instantiate(d, 96000, VEMO_LV2_BUNDLE, g_features), nullptr);
    EXPECT_NE(g_log.find("96000"), std::string::npos) << g_log;
    EXPECT_EQ(d->instantiate(d, 44100.5, VEMO_LV2_BUNDLE, nullptr), nullptr);
}

// run() allocates nothing and takes no lock, whatever every port of every plugin does between
// blocks: each across its range (and past it, and NaN), the switch fading off and on.
TEST(Lv2Plugin, RunNeitherAllocatesNorLocksWhateverThePortsDo) {
    for (int t = 1; t <= kEffectCount; ++t)
        for (const int ch : {1, 2}) {
            g_allocations = 0, g_armed = true;
            Instance in(t, ch, 48000);  // the hooks see the plugin's own allocations
            g_armed = false;
            ASSERT_GT(g_allocations.load(), 0);
            std::vector<float> x = signal(256, ch, 5);
            g_allocations = 0, g_locks = 0, g_armed = true;
            for (size_t i = 0; i < in.ports.size(); ++i) {
                const ControlPort& p = in.ports[i];
                for (const double f : {0.0, 0.3, 1.0, 0.7, -0.5, 1.5})
                    in.controls[i] = static_cast<float>(p.min + f * (p.max - p.min)), in.run(x.data(), 256);
                in.controls[i] = NAN, in.run(x.data(), 256);
                in.controls[i] = static_cast<float>(p.def);
            }
            g_armed = false;
            const bool finite = std::all_of(x.begin(), x.end(), [](float v) { return std::isfinite(v); });
            EXPECT_EQ(std::tuple(g_allocations.load(), g_locks.load(), finite), std::tuple(0, 0, true))
                << kEffects[t].key << " " << ch;
        }
}

}  // namespace
}  // namespace vemo::test
