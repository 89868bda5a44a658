// Pitch changer: the transform, the vocoder's gain and delay, lazy clearing, channel
// independence and the limits applied to bad records.
#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <memory>
#include <vector>

#include "effects/fft.h"
#include "effects/pitch_changer.h"
#include "effects/vocoder_trig.h"
#include "test_support.h"

namespace vemo::test {
namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<int16_t> sine(int frames, double hz, double amplitude, int rate = 44100) {
    std::vector<int16_t> out(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) out[i] = static_cast<int16_t>(amplitude * std::sin(2.0 * kPi * hz * i / rate));
    return out;
}

void run(PitchChanger& fx, std::vector<int16_t>& pcm, int channels) { run_stage(fx, pitch_process, pcm, channels); }

std::unique_ptr<PitchChanger> make_pitch(float octaves = 0.0f, int n = 2048, int o = 4, int rate = 44100) {
    auto fx = std::make_unique<PitchChanger>();
    pitch_init(*fx, rate, 2);
    fx->params = {octaves, n, o};
    pitch_configure(*fx, rate, 2);
    return fx;
}

// Energy of one frequency in a Hann-weighted stretch of samples (Goertzel).
double tone_power(const std::vector<int16_t>& x, int from, int count, double hz, int rate = 44100) {
    const double coeff = 2.0 * std::cos(2.0 * kPi * hz / rate);
    double s1 = 0, s2 = 0;
    for (int i = from; i < from + count; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2.0 * kPi * (i - from) / count);
        const double s0 = w * x[i] + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - coeff * s1 * s2;
}

bool state_is_finite(const PitchShifter& s) {
    auto finite = [](const float* a, int n) { return std::all_of(a, a + n, [](float v) { return std::isfinite(v); }); };
    return finite(s.in_fifo, kPitchMaxFrame) && finite(s.out_fifo, kPitchMaxFrame) &&
           finite(s.workspace, 2 * kPitchMaxFrame) && finite(s.last_phase, kPitchMaxFrame / 2 + 1) &&
           finite(s.sum_phase, kPitchMaxFrame / 2 + 1) && finite(s.output_accum, 2 * kPitchMaxFrame) &&
           finite(s.ana_freq, kPitchMaxFrame) && finite(s.ana_magn, kPitchMaxFrame);
}

TEST(PitchFft, MatchesTheDiscreteTransformAndInvertsUnscaled) {
    for (int n : {1, 2, 8, 64, 512}) {
        auto tw = std::make_unique<FftTwiddles>();
        fft_prepare(*tw, n);
        std::vector<float> data(2 * static_cast<size_t>(n));
        for (int i = 0; i < 2 * n; ++i) data[i] = static_cast<float>(std::sin(i * 0.37) * 1000.0 + (i % 7));
        const std::vector<float> input = data;
        fft(data.data(), n, -1, *tw);
        double worst = 0, scale = 0;
        for (int k = 0; k < n; ++k) {
            std::complex<long double> sum = 0;
            for (int t = 0; t < n; ++t) {
                const long double arg = -2.0L * kPi * static_cast<long double>(k) * t / n;
                sum += std::complex<long double>(input[2 * t], input[2 * t + 1]) *
                       std::complex<long double>(std::cos(arg), std::sin(arg));
            }
            worst = std::max(worst, static_cast<double>(std::abs(sum - std::complex<long double>(data[2 * k], data[2 * k + 1]))));
            scale = std::max(scale, static_cast<double>(std::abs(sum)));
        }
        EXPECT_LT(worst, scale * 1e-5 + 1e-3) << "n = " << n;

        // The inverse does not scale either: back to n times the input.
        fft(data.data(), n, 1, *tw);
        for (int i = 0; i < 2 * n; ++i) ASSERT_NEAR(data[i], input[i] * n, std::abs(input[i]) * n * 1e-4 + n * 0.05) << n;
    }
}

TEST(PitchFft, VectorPathsGiveThePlainResultBitForBit) {
    // Each path the processor supports: 512-bit, then 256-bit, then the 128-bit one.
    for (int level : {2, 1, 0}) {
        for (int n = 1; n <= kFftMaxPoints; n *= 2) {
            auto tw = std::make_unique<FftTwiddles>();
            fft_prepare(*tw, n);
            tw->wider = tw->wider && level >= 2;
            tw->wide = tw->wide && level >= 1;
            std::vector<float> a(2 * static_cast<size_t>(n));
            for (int i = 0; i < 2 * n; ++i) a[i] = static_cast<float>(std::sin(i * 1.7) * 3e4 * (i % 5 == 0 ? 0.0 : 1.0));
            a[0] = -0.0f;
            std::vector<float> b = a;
            for (int sign : {-1, 1}) {
                fft(a.data(), n, sign, *tw);
                fft_plain(b.data(), n, sign, *tw);
                ASSERT_EQ(0, std::memcmp(a.data(), b.data(), a.size() * sizeof(float))) << n << ' ' << sign << ' ' << level;
            }
        }
    }
}

TEST(PitchChanger, FastFramesMatchTheReferenceFrameBitForBit) {
    // The vector transform, the branch-free atan2/sin/cos with their checks and the fallback to
    // the library calls must not change a single sample or state value. The accumulated
    // synthesis phases grow without bound over a long run, so they are also started far out:
    // near the end of the fast range (2^36), beyond it, and at random large values.
    struct Case {
        float octaves;
        int n, o;
        float phase_start;
    };
    const Case cases[] = {{0.0f, 2048, 4, 0.0f},   {0.7f, 1024, 4, 3.0e6f}, {-0.5f, 512, 8, 6.8e10f},
                          {0.9f, 2048, 2, 9.0e10f}, {-0.7f, 256, 1, 1.0e9f}, {0.2f, 8192, 4, -2.5e8f}};
    for (const Case& c : cases) {
        // The frame loops at each width the processor has (with the transform's matching path),
        // then the reference, last.
        constexpr int kPaths = 4;
        std::unique_ptr<PitchChanger> fx[kPaths];
        for (auto& p : fx) p = make_pitch(c.octaves, c.n, c.o);
        std::vector<int16_t> pcm[kPaths];
        pcm[0].resize(static_cast<size_t>(2 * std::max(c.n, 4096)));
        uint32_t seed = 7;
        for (size_t i = 0; i < pcm[0].size(); ++i) {
            seed = seed * 1664525u + 1013904223u;
            pcm[0][i] = static_cast<int16_t>(9000.0 * std::sin(i * 0.031) + static_cast<int>(seed >> 20) - 2048);
        }
        for (int i = 1; i < kPaths; ++i) pcm[i] = pcm[0];
        for (int i = 0; i < kPaths; ++i) run(*fx[i], pcm[i], 1);
        fx[1]->frame_width = std::min(fx[1]->frame_width, 256);
        fx[1]->twiddles.wider = false;
        fx[2]->frame_width = 128;
        fx[2]->twiddles.wide = fx[2]->twiddles.wider = false;
        fx[kPaths - 1]->reference_path = true;
        for (auto& p : fx)
            for (int k = 0; k <= c.n / 2; ++k) p->shifter[0].sum_phase[k] = c.phase_start * (1.0f + k * 1e-3f);
        for (int round = 0; round < 3; ++round) {
            for (int i = 0; i < kPaths; ++i) run(*fx[i], pcm[i], 1);
            for (int i = 0; i + 1 < kPaths; ++i)
                ASSERT_EQ(pcm[i], pcm[kPaths - 1]) << i << ": " << c.octaves << ' ' << c.n << ' ' << c.o << ' ' << c.phase_start;
        }
        for (int i = 0; i + 1 < kPaths; ++i) {
            const PitchShifter &x = fx[i]->shifter[0], &y = fx[kPaths - 1]->shifter[0];
            EXPECT_EQ(0, std::memcmp(x.last_phase, y.last_phase, sizeof x.last_phase)) << i;
            EXPECT_EQ(0, std::memcmp(x.ana_freq, y.ana_freq, sizeof x.ana_freq)) << i;
            EXPECT_EQ(0, std::memcmp(x.sum_phase, y.sum_phase, sizeof x.sum_phase)) << i;
            EXPECT_EQ(0, std::memcmp(x.output_accum, y.output_accum, sizeof x.output_accum)) << i;
        }
    }
}

TEST(PitchTrig, CertifiedResultsAreTheLibrarysAndRarelyFallBack) {
    // Certification must never vouch for a float the library would not give; it may decline,
    // but only rarely, or the fast path gains nothing.
    namespace trig = vocoder_trig;
    uint64_t seed = 12345;
    auto next = [&seed] { return seed = seed * 6364136223846793005ull + 1442695040888963407ull; };
    auto random_float = [&](int max_exp) {
        const uint64_t r = next();
        const float mant = 1.0f + static_cast<float>(r >> 41) / 8388608.0f;
        return std::ldexp(r >> 40 & 1 ? -mant : mant, static_cast<int>(r >> 8 & 0xFF) % (max_exp + 30) - 30);
    };
    int declined = 0, total = 0;
    for (int i = 0; i < 400000; ++i) {
        const double ph = random_float(37);
        const double m = std::fabs(random_float(20));
        const trig::SinCos v = trig::sincos_fast(ph);
        const double cs = v.c, sn = v.s;
        float re, im;
        if (!(std::fabs(ph) <= trig::kReducibleLimit)) continue;
        const bool ok = trig::product_is_certain(m, cs, v.slack_c, re) & trig::product_is_certain(m, sn, v.slack_s, im);
        ++total;
        if (!ok) {
            ++declined;
            continue;
        }
        const float want_re = static_cast<float>(m * std::cos(ph)), want_im = static_cast<float>(m * std::sin(ph));
        ASSERT_EQ(0, std::memcmp(&re, &want_re, sizeof re)) << ph << ' ' << m;
        ASSERT_EQ(0, std::memcmp(&im, &want_im, sizeof im)) << ph << ' ' << m;
        ASSERT_LE(std::fabs(cs - std::cos(ph)), 0x1p-49) << ph;
        ASSERT_LE(std::fabs(sn - std::sin(ph)), 0x1p-49) << ph;
    }
    for (int i = 0; i < 400000; ++i) {
        const double y = i % 97 == 0 ? 0.0 : random_float(20), x = i % 89 == 0 ? -0.0 : random_float(20);
        const double want = std::atan2(y, x), got = trig::atan2_fast(y, x);
        ASSERT_LE(std::fabs(got - want), std::fabs(want) * 0x1p-49) << y << ' ' << x;
        if (want == 0.0) {
            ASSERT_EQ(std::signbit(got), std::signbit(want)) << y << ' ' << x;
        }
    }
    // Signed zeros give the library's exact values.
    for (double y : {0.0, -0.0})
        for (double x : {0.0, -0.0, 2.0, -2.0}) EXPECT_EQ(trig::atan2_fast(y, x), std::atan2(y, x)) << y << ' ' << x;
    EXPECT_EQ(trig::atan2_fast(3.0, 0.0), std::atan2(3.0, 0.0));
    EXPECT_EQ(trig::atan2_fast(-3.0, -0.0), std::atan2(-3.0, -0.0));
    EXPECT_LT(declined, total / 1000);
}

TEST(PitchChanger, UnitFactorGivesOneAndAHalfTimesTheInputDelayedByOneFrame) {
    // The FIFO steps (output read at rover - L, the first S accumulator values handed on,
    // everything moved down by S) delay every sample by N, not by N - S: 2048 samples here.
    auto fx = make_pitch();
    const std::vector<int16_t> in = sine(6 * 4096, 1000.0, 8000.0);
    std::vector<int16_t> out = in;
    run(*fx, out, 1);
    const int delay = 2048;
    double err = 0, peak = 0;
    for (size_t i = 3 * 2048; i < out.size(); ++i) {
        err = std::max(err, std::abs(out[i] - 1.5 * in[i - delay]));
        peak = std::max(peak, std::abs(static_cast<double>(out[i])));
    }
    EXPECT_NEAR(peak, 12000.0, 60.0);
    EXPECT_LT(err, 0.01 * 12000.0);
    // One sample off would be far worse: the delay is exactly N.
    double off = 0;
    for (size_t i = 3 * 2048; i < out.size(); ++i) off = std::max(off, std::abs(out[i] - 1.5 * in[i - delay + 1]));
    EXPECT_GT(off, 5 * err);
}

TEST(PitchChanger, OutputIsLimitedToSixteenBits) {
    auto fx = make_pitch();
    std::vector<int16_t> pcm = sine(5 * 4096, 500.0, 30000.0);
    run(*fx, pcm, 1);
    EXPECT_EQ(*std::max_element(pcm.begin(), pcm.end()), 32767);
    EXPECT_EQ(*std::min_element(pcm.begin(), pcm.end()), -32768);
}

TEST(PitchChanger, FactorTwoDoublesAndHalfHalvesTheFrequency) {
    for (float octaves : {1.0f, -1.0f}) {
        auto fx = make_pitch(octaves);
        std::vector<int16_t> pcm = sine(8 * 4096, 1000.0, 8000.0);
        run(*fx, pcm, 1);
        const double target = octaves > 0 ? 2000.0 : 500.0;
        const double moved = tone_power(pcm, 4 * 4096, 4096, target);
        const double stayed = tone_power(pcm, 4 * 4096, 4096, 1000.0);
        EXPECT_GT(moved, 100 * stayed) << octaves;
    }
}

TEST(PitchChanger, HalfFactorLeavesTheUpperHalfOfTheBandSilent) {
    // Output bin k draws from analysis bin 2k, which lies above H for k > H/2: nothing comes
    // out above a quarter of the rate, whatever goes in.
    auto fx = make_pitch(-1.0f);
    std::vector<int16_t> pcm(8 * 4096);
    uint32_t seed = 1;
    for (int16_t& v : pcm) v = static_cast<int16_t>(((seed = seed * 214013u + 2531011u) >> 16 & 0x7FFF) - 16384);
    run(*fx, pcm, 1);
    double low = 0, high = 0;
    for (double hz = 1000; hz < 10000; hz += 500) low += tone_power(pcm, 4 * 4096, 4096, hz);
    for (double hz = 12000; hz < 21000; hz += 500) high += tone_power(pcm, 4 * 4096, 4096, hz);
    EXPECT_LT(high, 1e-4 * low);
}

TEST(PitchChanger, ChannelsNeverInfluenceEachOther) {
    auto stereo = make_pitch(0.4f);
    auto mono = make_pitch(0.4f);
    const std::vector<int16_t> left = sine(3 * 4096, 700.0, 9000.0);
    std::vector<int16_t> inter(2 * left.size());
    for (size_t i = 0; i < left.size(); ++i) inter[2 * i] = left[i], inter[2 * i + 1] = static_cast<int16_t>(i % 3000);
    std::vector<int16_t> alone = left;
    run(*stereo, inter, 2);
    run(*mono, alone, 1);
    for (size_t i = 0; i < left.size(); ++i) ASSERT_EQ(inter[2 * i], alone[i]) << i;
    // Channel 1 ran on its own instance; instance 0 of the mono run never saw its samples.
    EXPECT_NE(stereo->shifter[1].rover, 0);
    EXPECT_EQ(mono->shifter[1].rover, 0);
}

class PitchSession : public Session {
protected:
    void enable(float octaves = 0.0f) {
        EffectSettings s = current();
        s.pitch_enabled = 1;
        s.pitch_octaves = octaves;
        s.pitch_frame_size = 2048;
        s.pitch_oversampling = 4;
        vemomix_set(s);
    }
    // Feeds `frames` of a steady tone in 1024-frame host buffers; returns channel 0's output.
    std::vector<int16_t> feed(int frames) {
        std::vector<int16_t> out;
        for (int done = 0; done < frames; done += 1024) {
            std::vector<int16_t> buf(2048);
            for (int i = 0; i < 1024; ++i)
                buf[2 * i] = buf[2 * i + 1] = static_cast<int16_t>(8000 * std::sin(2.0 * kPi * 1000.0 * (t_ + i) / 44100));
            t_ += 1024;
            vemomix_change(buf.data(), static_cast<int32_t>(buf.size() * 2));
            for (int i = 0; i < 1024; ++i) out.push_back(buf[2 * i]);
        }
        return out;
    }
    static int16_t loudest(const std::vector<int16_t>& v, size_t from, size_t to) {
        int16_t m = 0;
        for (size_t i = from; i < to; ++i) m = std::max<int16_t>(m, static_cast<int16_t>(std::abs(v[i])));
        return m;
    }
    long t_ = 0;
};

TEST_F(PitchSession, RefreshAndSetSilenceTheNextLatencyAndKeepTheFrameBoundary) {
    enable();
    const std::vector<int16_t> before = feed(8192);
    EXPECT_GT(loudest(before, 4096, 8192), 11000);
    const int rover = engine().pitch.shifter[0].rover;

    vemomix_datarefresh();
    EXPECT_EQ(engine().pitch.shifter[0].initialised, 0);
    std::vector<int16_t> after = feed(4096);
    EXPECT_EQ(engine().pitch.shifter[0].initialised, 1);
    EXPECT_LT(loudest(after, 0, 1536), 200);
    EXPECT_GT(loudest(after, 2048 + 1024, 4096), 11000);
    // The clear kept rover where it was: the same 1024-sample steps land on the same spot.
    EXPECT_EQ(engine().pitch.shifter[0].rover, rover);

    enable();
    after = feed(4096);
    EXPECT_LT(loudest(after, 0, 1536), 200);
    EXPECT_GT(loudest(after, 2048 + 1024, 4096), 11000);
}

TEST_F(PitchSession, ReportsTheRecordUnchanged) {
    EffectSettings s = current();
    s.pitch_octaves = std::nanf("");
    s.pitch_frame_size = 3000;
    s.pitch_oversampling = 0;
    vemomix_set(s);
    const EffectSettings r = current();
    EXPECT_TRUE(std::isnan(r.pitch_octaves));
    EXPECT_EQ(r.pitch_frame_size, 3000);
    EXPECT_EQ(r.pitch_oversampling, 0);
    // vemomix_init brings back 0 octaves, 2048, 4.
    start();
    const EffectSettings d = current();
    EXPECT_EQ(d.pitch_octaves, 0.0f);
    EXPECT_EQ(d.pitch_frame_size, 2048);
    EXPECT_EQ(d.pitch_oversampling, 4);
    EXPECT_EQ(engine().pitch.shifter[1].factor, 1.0f);
}

TEST(PitchChanger, BadRecordsStayInsideTheArraysAndFinite) {
    struct Case {
        float octaves;
        int n, o;
        int want_n, want_o;
    };
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {std::nanf(""), 3000, 0, 2048, 1}, {inf, 100000, 100, 8192, 100}, {-inf, 0, -3, 2, 1},
        {1e30f, 8192, 8, 8192, 8},         {-1e30f, 5, 9, 4, 4},             {0.3f, -7, 4, 2, 2}, {2.0f, 16, 100, 16, 16},
    };
    for (const Case& c : cases) {
        auto fx = make_pitch();
        std::vector<int16_t> warm = sine(3000, 300.0, 20000.0);
        run(*fx, warm, 1);
        fx->params = {c.octaves, c.n, c.o};
        pitch_configure(*fx, 44100, 1);
        EXPECT_EQ(fx->shifter[0].frame_size, c.want_n) << c.n;
        EXPECT_EQ(fx->shifter[0].oversampling, c.want_o) << c.o;
        EXPECT_TRUE(std::isfinite(fx->shifter[0].factor));
        std::vector<int16_t> pcm = sine(3 * 8192, 300.0, 20000.0);
        run(*fx, pcm, 1);
        const PitchShifter& s = fx->shifter[0];
        const int latency = s.frame_size - s.frame_size / s.oversampling;
        EXPECT_GE(s.rover, latency);
        EXPECT_LT(s.rover, s.frame_size);
        EXPECT_TRUE(state_is_finite(s)) << c.octaves << ' ' << c.n << ' ' << c.o;
    }
    // 2^8 at most, 2^-8 at least.
    auto up = make_pitch(1e30f);
    EXPECT_EQ(up->shifter[0].factor, 256.0f);
    auto down = make_pitch(-1e30f);
    EXPECT_EQ(down->shifter[0].factor, 1.0f / 256.0f);
}

}  // namespace
}  // namespace vemo::test
