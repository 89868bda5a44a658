// Pitch changer: the transform, the vocoder's gain and delay, lazy clearing and bad records.
#include <complex>

#include "effects/fft.h"
#include "effects/pitch_changer.h"
#include "effects/vocoder_trig.h"
#include "test_support.h"

namespace vemo::test {
namespace {

constexpr double kPi = 3.14159265358979323846;

std::unique_ptr<PitchChanger> make_pitch(float octaves = 0.0f, int n = 2048, int o = 4) {
    return make_stage<PitchChanger>(PitchChangerParams{octaves, n, o});
}

// Energy of one frequency in a Hann-weighted stretch of 4096 samples from `from` (Goertzel).
double tone_power(const std::vector<int16_t>& x, int from, double hz) {
    const double coeff = 2.0 * std::cos(2.0 * kPi * hz / 44100);
    double s1 = 0, s2 = 0;
    for (int i = 0; i < 4096; ++i) {
        const double s0 = (0.5 - 0.5 * std::cos(2.0 * kPi * i / 4096)) * x[from + i] + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - coeff * s1 * s2;
}

TEST(PitchFft, MatchesTheDiscreteTransformInvertsUnscaledAndVectorPathsGiveThePlainResultBitForBit) {
    for (int n : {1, 2, 8, 64, 512}) {
        auto tw = std::make_unique<FftTwiddles>();
        fft_prepare(*tw, n);
        std::vector<float> data(2 * static_cast<size_t>(n));
        for (int i = 0; i < 2 * n; ++i) data[i] = static_cast<float>(std::sin(i * 0.37) * 1000.0 + (i % 7));
        const std::vector<float> input = data;
        const auto* x = reinterpret_cast<const std::complex<float>*>(input.data());
        const auto* y = reinterpret_cast<const std::complex<float>*>(data.data());
        fft(data.data(), n, -1, *tw);
        for (int k = 0; k < n; ++k) {
            std::complex<long double> sum = 0;
            for (int t = 0; t < n; ++t)
                sum += std::complex<long double>(x[t]) * std::polar(1.0L, -2.0L * kPi * k * t / n);
            ASSERT_LT(std::abs(sum - std::complex<long double>(y[k])), n * 0.015 + 1e-3) << n << ": bin " << k;
        }
        fft(data.data(), n, 1, *tw);  // back to n times the input
        for (int i = 0; i < 2 * n; ++i)
            ASSERT_NEAR(data[i], input[i] * n, std::abs(input[i]) * n * 1e-4 + n * 0.05) << n;
    }
    // Each path the processor supports, 512-bit, 256-bit and 128-bit, against the plain one.
    for (int level : {2, 1, 0}) {
        for (int n = 1; n <= kFftMaxPoints; n *= 2) {
            auto tw = std::make_unique<FftTwiddles>();
            fft_prepare(*tw, n);
            tw->wider = tw->wider && level >= 2, tw->wide = tw->wide && level >= 1;
            std::vector<float> a(2 * static_cast<size_t>(n));
            for (int i = 0; i < 2 * n; ++i)
                a[i] = static_cast<float>(std::sin(i * 1.7) * 3e4 * (i % 5 == 0 ? 0.0 : 1.0));
            a[0] = -0.0f;
            std::vector<float> b = a;
            for (int sign : {-1, 1}) {
                fft(a.data(), n, sign, *tw);
                fft_plain(b.data(), n, sign, *tw);
                ASSERT_EQ(0, std::memcmp(a.data(), b.data(), a.size() * sizeof(float)))
                    << n << ' ' << sign << ' ' << level;
            }
        }
    }
}

TEST(PitchChanger, FastFramesMatchTheReferenceFrameBitForBit) {
    // The vector transform, the branch-free atan2/sin/cos with their checks and the fallback to
    // the library calls must not change a single sample or state value. The accumulated
    // synthesis phases grow without bound over a long run, so they are also started far out:
    // near the end of the fast range (2^36), beyond it, and at random large values.
    const struct {
        float octaves;
        int n, o;
        float phase_start;
    } cases[] = {{0.0f, 2048, 4, 0.0f},   {0.7f, 1024, 4, 3.0e6f}, {-0.5f, 512, 8, 6.8e10f},
                 {0.9f, 2048, 2, 9.0e10f}, {-0.7f, 256, 1, 1.0e9f}, {0.2f, 8192, 4, -2.5e8f}};
    for (const auto& c : cases) {
        // The frame loops at each width the processor has (with the transform's matching path),
        // then the reference, last.
        constexpr int kPaths = 4;
        std::unique_ptr<PitchChanger> fx[kPaths];
        std::vector<int16_t> pcm[kPaths], in = noise(2 * std::max(c.n, 4096), 7, 4096);
        for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<int16_t>(in[i] + 9000.0 * std::sin(i * 0.031));
        for (int i = 0; i < kPaths; ++i) {
            fx[i] = make_pitch(c.octaves, c.n, c.o);
            run_stage(*fx[i], pcm[i] = in, 1);
        }
        fx[1]->frame_width = std::min(fx[1]->frame_width, 256), fx[1]->twiddles.wider = false;
        fx[2]->frame_width = 128, fx[2]->twiddles.wide = fx[2]->twiddles.wider = false;
        fx[kPaths - 1]->reference_path = true;
        for (auto& p : fx)
            for (int k = 0; k <= c.n / 2; ++k) p->shifter[0].sum_phase[k] = c.phase_start * (1.0f + k * 1e-3f);
        for (int round = 0; round < 3; ++round) {
            for (int i = 0; i < kPaths; ++i) run_stage(*fx[i], pcm[i], 1);
            for (int i = 0; i + 1 < kPaths; ++i)
                ASSERT_EQ(pcm[i], pcm[kPaths - 1])
                    << i << ": " << c.octaves << ' ' << c.n << ' ' << c.o << ' ' << c.phase_start;
        }
        for (int i = 0; i + 1 < kPaths; ++i) {
            const PitchShifter &x = fx[i]->shifter[0], &y = fx[kPaths - 1]->shifter[0];
            EXPECT_TRUE(!std::memcmp(x.last_phase, y.last_phase, sizeof x.last_phase) &&
                        !std::memcmp(x.ana_freq, y.ana_freq, sizeof x.ana_freq) &&
                        !std::memcmp(x.sum_phase, y.sum_phase, sizeof x.sum_phase) &&
                        !std::memcmp(x.output_accum, y.output_accum, sizeof x.output_accum))
                << i;
        }
    }
}

TEST(PitchChanger, PhasesRunFreeForTwoSecondsThenStayWithinOneTurnOnEveryPath) {
    // Started far out, the synthesis phases accumulate untouched until 2 s of input have gone
    // through frames since the clear, the fast frames giving the reference frame's samples bit
    // for bit; from then on every stored phase lies within one turn of zero, and the fast
    // frame's atan2 (within 2^-50 of the library's) may move a sample by one step at most.
    auto fast = make_pitch(0.3f, 256, 4), ref = make_pitch(0.3f, 256, 4);
    ref->reference_path = true;
    const std::vector<int16_t> in = noise(4096, 5, 8000);
    ASSERT_EQ(processed(*fast, in), processed(*ref, in));
    for (PitchChanger* p : {fast.get(), ref.get()})
        for (int k = 0; k <= 128; ++k) p->shifter[0].sum_phase[k] = 3.0e6f * (1.0f + k * 1e-3f);
    const auto far_out = [](const PitchChanger& p) {
        return std::all_of(p.shifter[0].sum_phase, p.shifter[0].sum_phase + 129, [](float v) { return v > 2.9e6f; });
    };
    const auto within_a_turn = [](const PitchChanger& p) {
        return std::all_of(p.shifter[0].sum_phase, p.shifter[0].sum_phase + 129,
                           [](float v) { return std::fabs(v) <= static_cast<float>(kPi); });
    };
    // 4096 input samples a round: 21 rounds end just short of 2 s, two more pass it.
    for (int round = 1; round <= 23; ++round) {
        const std::vector<int16_t> a = processed(*fast, in), b = processed(*ref, in);
        if (round <= 21) {
            ASSERT_EQ(a, b) << round;
        } else {
            for (size_t i = 0; i < a.size(); ++i) ASSERT_LE(std::abs(a[i] - b[i]), 1) << round << ' ' << i;
        }
        EXPECT_TRUE(round != 20 || (far_out(*fast) && far_out(*ref)));
    }
    EXPECT_TRUE(within_a_turn(*fast) && within_a_turn(*ref));
}

TEST(PitchChanger, ASteadyToneStaysSteadyOnceThePhasesAreHeld) {
    // Five cycles every 96 samples (three hops of a 256-point frame at overlap 8), off the bins:
    // every third frame sees the same input, and the bins' phases go round by whole turns. Once
    // nothing is rounded to a float between frames any more, the output repeats as the input
    // does; rounding that came back every cycle would move it further each time.
    constexpr int kPeriod = 96;
    std::vector<int16_t> in(kPeriod * 6000);  // 13 s at 44100 Hz
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<int16_t>(std::lround(16000.0 * std::sin(2.0 * kPi * 5.0 * static_cast<double>(i % kPeriod) / kPeriod)));
    for (const bool reference : {false, true}) {
        auto fx = make_pitch(0.0f, 256, 8);
        fx->reference_path = reference;
        const std::vector<int16_t> out = processed(*fx, in);
        const size_t early = kPeriod * 1000, late = kPeriod * 5900, span = kPeriod * 100;  // 2.2 s, 12.8 s
        int worst = 0;
        double before = 0, after = 0;  // energy at 0.9 s, while the phases still run free, and late
        for (size_t i = 0; i < span; ++i) {
            worst = std::max(worst, std::abs(out[early + i] - out[late + i]));
            before += std::pow(out[kPeriod * 400 + i], 2.0), after += std::pow(out[late + i], 2.0);
        }
        EXPECT_TRUE(worst <= 1 && std::abs(after / before - 1) < 0.01)
            << reference << ": " << worst << " " << after / before;
    }
}

TEST(PitchTrig, CertifiedResultsAreTheLibrarysAndRarelyFallBack) {
    // Certification must never vouch for a float the library would not give; it may decline,
    // but only rarely, or the fast path gains nothing.
    namespace trig = vocoder_trig;
    uint64_t seed = 12345;
    auto random_float = [&](int max_exp) {
        const uint64_t r = seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        const float mant = 1.0f + static_cast<float>(r >> 41) / 8388608.0f;
        return std::ldexp(r >> 40 & 1 ? -mant : mant, static_cast<int>(r >> 8 & 0xFF) % (max_exp + 30) - 30);
    };
    int declined = 0, total = 0;
    for (int i = 0; i < 400000; ++i) {
        const double ph = random_float(37), m = std::fabs(random_float(20));
        const trig::SinCos v = trig::sincos_fast(ph);
        float re, im;
        if (!(std::fabs(ph) <= trig::kReducibleLimit)) continue;
        ++total;
        const bool re_ok = trig::product_is_certain(m, v.c, v.slack_c, re);  // both always run
        if (!(trig::product_is_certain(m, v.s, v.slack_s, im) && re_ok)) {
            ++declined;
            continue;
        }
        const float want[2] = {static_cast<float>(m * std::cos(ph)), static_cast<float>(m * std::sin(ph))},
                    got[2] = {re, im};
        ASSERT_EQ(0, std::memcmp(got, want, sizeof got)) << ph << ' ' << m;
        ASSERT_TRUE(std::fabs(v.c - std::cos(ph)) <= 0x1p-49 && std::fabs(v.s - std::sin(ph)) <= 0x1p-49) << ph;
    }
    EXPECT_LT(declined, total / 1000);
    for (int i = 0; i < 400000; ++i) {
        const double y = i % 97 == 0 ? 0.0 : random_float(20), x = i % 89 == 0 ? -0.0 : random_float(20);
        const double want = std::atan2(y, x), got = trig::atan2_fast(y, x);
        ASSERT_LE(std::fabs(got - want), std::fabs(want) * 0x1p-49) << y << ' ' << x;
        ASSERT_TRUE(want != 0.0 || std::signbit(got) == std::signbit(want)) << y << ' ' << x;
    }
    // Signed zeros and the axes give the library's exact values.
    for (double y : {0.0, -0.0, 3.0, -3.0})
        for (double x : {0.0, -0.0, 2.0, -2.0}) EXPECT_EQ(trig::atan2_fast(y, x), std::atan2(y, x)) << y << ' ' << x;
}

TEST(PitchChanger, UnitFactorGivesOneAndAHalfTimesTheInputDelayedByOneFrame) {
    // The FIFO steps (output read at rover - L, the first S accumulator values handed on,
    // everything moved down by S) delay every sample by N, not by N - S: 2048 samples here.
    auto fx = make_pitch();
    const std::vector<int16_t> in = sine(6 * 4096, 1000.0, 8000.0);
    std::vector<int16_t> out = in;
    run_stage(*fx, out, 1);
    double err = 0, off = 0;
    for (size_t i = 3 * 2048; i < out.size(); ++i) {
        err = std::max(err, std::abs(out[i] - 1.5 * in[i - 2048]));
        off = std::max(off, std::abs(out[i] - 1.5 * in[i - 2047]));  // one sample off is far worse
    }
    EXPECT_NEAR(peak_abs(out, 3 * 2048), 12000.0, 60.0);
    EXPECT_TRUE(err < 0.01 * 12000.0 && off > 5 * err) << err << " " << off;
    // A louder tone is limited to 16 bits.
    std::vector<int16_t> loud = sine(5 * 4096, 500.0, 30000.0);
    run_stage(*make_pitch(), loud, 1);
    EXPECT_EQ(std::tuple(*std::min_element(loud.begin(), loud.end()), *std::max_element(loud.begin(), loud.end())),
              std::tuple(-32768, 32767));
}

TEST(PitchChanger, FactorTwoDoublesAndHalfHalvesTheFrequency) {
    for (float octaves : {1.0f, -1.0f}) {
        std::vector<int16_t> pcm = sine(8 * 4096, 1000.0, 8000.0);
        run_stage(*make_pitch(octaves), pcm, 1);
        EXPECT_GT(tone_power(pcm, 4 * 4096, octaves > 0 ? 2000.0 : 500.0), 100 * tone_power(pcm, 4 * 4096, 1000.0))
            << octaves;
    }
    // Output bin k draws from analysis bin 2k, which lies above H for k > H/2: nothing comes
    // out above a quarter of the rate, whatever goes in.
    std::vector<int16_t> pcm = noise(8 * 4096, 1, 16384);
    run_stage(*make_pitch(-1.0f), pcm, 1);
    double low = 0, high = 0;
    for (double hz = 1000; hz < 10000; hz += 500) low += tone_power(pcm, 4 * 4096, hz);
    for (double hz = 12000; hz < 21000; hz += 500) high += tone_power(pcm, 4 * 4096, hz);
    EXPECT_LT(high, 1e-4 * low);
}

TEST(PitchChanger, BadRecordsStayInsideTheArraysAndFinite) {
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float octaves;
        int n, o, want_n, want_o;
    } cases[] = {
        {std::nanf(""), 3000, 0, 2048, 1}, {inf, 100000, 100, 8192, kPitchMaxOversampling}, {-inf, 0, -3, 2, 1},
        {1e30f, 8192, 8, 8192, 8},         {-1e30f, 5, 9, 4, 4},          {0.3f, -7, 4, 2, 2},
        {2.0f, 16, 100, 16, 16},
    };
    for (const auto& c : cases) {
        auto fx = make_pitch();
        std::vector<int16_t> warm = sine(3000, 300.0, 20000.0), pcm = sine(3 * 8192, 300.0, 20000.0);
        run_stage(*fx, warm, 1);
        fx->params = {c.octaves, c.n, c.o};
        fx_configure(*fx, 44100, 1);
        const PitchShifter& s = fx->shifter[0];
        EXPECT_EQ(std::tuple(s.frame_size, s.oversampling, std::isfinite(s.factor)), std::tuple(c.want_n, c.want_o, true))
            << c.n << ' ' << c.o;
        run_stage(*fx, pcm, 1);
        // Past the latency, inside the frame.
        EXPECT_TRUE(s.rover >= s.frame_size - s.frame_size / s.oversampling && s.rover < s.frame_size) << s.rover;
        EXPECT_TRUE(all_finite(s.in_fifo) && all_finite(s.out_fifo) && all_finite(s.workspace) &&
                    all_finite(s.last_phase) && all_finite(s.sum_phase) && all_finite(s.output_accum) &&
                    all_finite(s.ana_freq) && all_finite(s.ana_magn))
            << c.octaves << ' ' << c.n << ' ' << c.o;
    }
    // 2^8 at most, 2^-8 at least.
    EXPECT_EQ(std::pair(make_pitch(1e30f)->shifter[0].factor, make_pitch(-1e30f)->shifter[0].factor),
              std::pair(256.0f, 1.0f / 256.0f));
}

using PitchSession = Session;

// A refresh empties the arrays at the next sample: the next latency is (nearly) silent, and the
// clear keeps rover where it was, so the frame boundary stays where the 1000-frame buffers put it.
TEST_F(PitchSession, RefreshSilencesTheNextLatencyAndKeepsTheFrameBoundary) {
    set_record([](EffectSettings& s) { s.pitch_enabled = 1; });
    const std::vector<int16_t> tone = sine(16000, 1000, 8000, 44100, 2);
    std::vector<int16_t> out;
    int rover = 0;
    for (size_t at = 0; at < tone.size(); at += 2000) {
        if (at == 2 * 8000) {
            EXPECT_GT(peak_abs(out, 2 * 4000), 11000);
            rover = engine().pitch.shifter[0].rover;
            vemomix_datarefresh();
            out.clear();
        }
        std::vector<int16_t> buf(tone.begin() + at, tone.begin() + at + 2000);
        change(buf);
        out.insert(out.end(), buf.begin(), buf.end());
    }
    EXPECT_EQ(engine().pitch.shifter[0].rover, 1536 + (rover - 1536 + 8000) % 512);
    EXPECT_LT(peak_abs(out, 0, 2 * 1536), 200);
    EXPECT_GT(peak_abs(out, 2 * 3072), 11000);
}

}  // namespace
}  // namespace vemo::test
