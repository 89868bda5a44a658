// Overdrive: anti-alias designs, the diode clipper against a plain circuit, the silence probes.
#include "effects/overdrive.h"
#include "test_support.h"

namespace vemo::test {
namespace {

// The circuit written the plain way, one sub-sample after the other and every Newton step in
// order, without any limit on the steps: channel 0's pass, then channel 1's from where channel 0
// left the input and its low-pass (the stereo lanes are held to this order in test_stereo_paths).
struct Reference {
    double x_prev = 0, lp = 0, lp_a = 0, lp_b = 0, v[2] = {};
    Biquad<double> aa1, aa2;
    double mem1[2][4] = {}, mem2[2][4] = {};
    RcFilter post;
    int most_steps = 0;  // the most steps one channel's buffer took

    static double filter(const Biquad<double>& q, double* m, double x) {
        const double y = q.b0 * x + q.b1 * m[0] + q.b2 * m[1] - q.a1 * m[2] - q.a2 * m[3];
        m[1] = m[0], m[0] = x, m[3] = m[2], m[2] = y;
        return y;
    }
    static double solve(double u, double& v, double j, double r, int& steps) {
        for (double delta = 1; !(-0.01 <= delta && delta <= 0.01); ++steps) {
            if (std::fabs(3.3333333333333335 * (u - v)) > 700.0) {
                const double bound = std::asinh(std::fabs(j) * 5e10) * 0.3;
                v = u - v > 0 ? u - bound : u + bound;
            }
            const double e = std::exp(3.3333333333333335 * (u - v));
            const double f = (e - 1.0 / e) * 1e-11 + (u - v) / r + j;
            delta = f / (-1.0 / r - (e + 1.0 / e) * 3.333333333333333e-11);
            v = v - delta;
        }
        return v;
    }
    // One buffer of interleaved channels.
    void process(const OverdriveParams& p, int16_t* pcm, int frames, int channels) {
        const double r = p.odrive_drive_ohms >= 1 ? p.odrive_drive_ohms : 1.0;
        for (int c = 0; c < channels; ++c) {
            std::vector<float> w(frames);
            for (int n = 0; n < frames; ++n) w[n] = pcm[n * channels + c];
            bool silent = w[frames - 1] == 0;
            for (int n : {0, 1, 16, 17, 24, 25, 32, 33}) silent = silent && (n >= frames || w[n] == 0);
            if (silent) x_prev = v[0] = v[1] = 0;
            if (silent) continue;
            int steps = 0;
            for (float& s : w) {
                const double x = s * 0.0032, q = x_prev;
                x_prev = x;
                double z = 0;
                for (double u : {q, q + 0.25 * (x - q), q + 0.5 * (x - q), q + 0.75 * (x - q)}) {
                    lp = lp_a * u + lp_b * lp;
                    const double node = solve(u, v[c], (u - lp) * 0.0002127659574468085, r, steps);
                    z = filter(aa2, mem2[c], filter(aa1, mem1[c], node));
                }
                s = static_cast<float>(std::fmin(std::fmax(1000.0 * z, -32768.0), 32767.0));
            }
            most_steps = std::max(most_steps, steps);
            if (p.odrive_lowpass_on != 0) rc_run(post, w.data(), frames, kRcLowPass, c);
            for (int n = 0; n < frames; ++n) pcm[n * channels + c] = static_cast<int16_t>(static_cast<int32_t>(w[n]));
        }
    }
};

struct Rig {
    std::unique_ptr<Overdrive> fx = std::make_unique<Overdrive>();
    Reference ref;
    int channels;

    explicit Rig(OverdriveParams p = {}, int channels = 1) : channels(channels) {
        fx_reset(*fx, 44100, channels);
        ref.lp_a = fx->od_lp_a, ref.lp_b = fx->od_lp_b, ref.aa1 = fx->od_aa1, ref.aa2 = fx->od_aa2,
        fx->params = p;
        fx_configure(*fx, 44100, channels);
        ref.post = fx->od_post;
    }
    std::vector<int16_t> run(std::vector<int16_t> pcm, int chunk = kMaxFrames) {
        run_stage(*fx, pcm, channels, 44100, chunk);
        return pcm;
    }
    std::vector<int16_t> plain(std::vector<int16_t> pcm, int chunk = kMaxFrames) {
        for (int at = 0, frames = static_cast<int>(pcm.size()) / channels; at < frames; at += chunk)
            ref.process(fx->params, pcm.data() + at * channels, std::min(chunk, frames - at), channels);
        return pcm;
    }
    // Runs both on the same buffers; outputs and states must agree exactly.
    void both(const std::vector<int16_t>& pcm, int chunk = kMaxFrames) {
        ASSERT_EQ(run(pcm, chunk), plain(pcm, chunk)) << fx->params.odrive_drive_ohms << " ohm, " << chunk;
        EXPECT_TRUE(fx->od_x_prev == ref.x_prev && fx->od_lp == ref.lp && fx->od_v[channels - 1] == ref.v[channels - 1]);
        EXPECT_EQ(std::memcmp(&fx->od_post.current, &ref.post.current, sizeof ref.post.current), 0);
    }
};

std::vector<int16_t> tone(int frames, double amp, double hz, int seed) {
    std::vector<int16_t> pcm;
    for (int n = 0; n < frames; ++n) {
        const double t = double(n + seed * 977) / 44100;
        const double s = std::sin(2 * M_PI * hz * t) + 0.3 * std::sin(2 * M_PI * hz * 7.3 * t + seed);
        pcm.push_back(static_cast<int16_t>(std::fmax(std::fmin(amp * s, 32767.0), -32768.0)));
    }
    return pcm;
}

TEST(OverdriveDesign, CheckValuesAt176400) {
    const Biquad<double> hi = lowpass_design(176400, 12000, 1.0, 1), lo = lowpass_design(176400, 5500, 1.0, 1);
    const struct {
        double got, want, tolerance;
    } rows[] = {{hi.b0, 0.03533862276, 5e-12}, {hi.b1, 0.07067724553, 5e-12}, {hi.b2, 0.03533862276, 5e-12},
                {hi.a1, -1.429911656, 5e-10},  {hi.a2, 0.5711707058, 5e-11},  {lo.b0, 0.008477548179, 5e-13},
                {lo.a1, -1.738909276, 5e-10},  {lo.a2, 0.7727965734, 5e-11}};
    for (const auto& r : rows) EXPECT_NEAR(r.got, r.want, r.tolerance) << &r - rows;
    for (const auto& q : {hi, lo}) EXPECT_NEAR((q.b0 + q.b1 + q.b2) / (1.0 + q.a1 + q.a2), 1.000676, 5e-7);
    // The same pole pair as a high-pass: nothing at DC, the pass-band gain at half the rate.
    const Biquad<double> hp = lowpass_design(176400, 12000, 1.0, 0);
    EXPECT_NEAR(hp.b0 + hp.b1 + hp.b2, 0.0, 1e-15);
    EXPECT_NEAR((hp.b0 - hp.b1 + hp.b2) / (1.0 - hp.a1 + hp.a2), 1.000676, 5e-7);
    // Init designs both for four times the working rate.
    Rig rig;
    EXPECT_EQ(std::tuple(rig.fx->od_aa1.a1, rig.fx->od_aa2.b0), std::tuple(hi.a1, lo.b0));
    const double dt = 0.25 / 44100;
    EXPECT_DOUBLE_EQ(rig.fx->od_lp_a, dt / (dt + 0.0002209));
    EXPECT_DOUBLE_EQ(rig.fx->od_lp_b, 0.0002209 / (dt + 0.0002209));
}

// Full-scale white noise, squares of three frames a half-period and loud tones, at drives up to
// 2.2 kOhm, stay within the step budget in every buffer size, mono and stereo: the unbounded
// solve's output, bit for bit, with the output low-pass on and off.
TEST(Overdrive, UpTo2200OhmNoiseSquaresAndTonesGiveTheUnboundedSolve) {
    for (int channels : {1, 2})
        for (int chunk : {1, 7, 300, 2048})
            for (int32_t ohms : {10, 520, 2200}) {
                Rig rig({ohms, 2500, chunk % 2}, channels);
                rig.both(noise(2048 * channels, ohms + chunk), chunk);
                rig.both(square(2048 * channels, 3 * channels), chunk);
                rig.both(tone(1024 * channels, 32767, 220, chunk), chunk);
                rig.both(tone(1024 * channels, 9000, 3000, ohms), chunk);
            }
}

// Beyond the budget (full-scale alternation at half the rate, full-scale noise at high drives)
// the buffer's remaining solves are finished inside the interval that holds the solution, and
// the output stays within a few units of the plain solve's.
TEST(Overdrive, InputBeyondTheStepBudgetSettlesNearThePlainSolution) {
    for (int32_t ohms : {520, 4700, 100000}) {
        Rig rig({ohms, 2500, 1});
        int worst = 0;
        for (const auto& pcm : {square(2048, 1), noise(2048, ohms, 32768)}) {
            const std::vector<int16_t> expect = rig.plain(pcm), got = rig.run(pcm);
            for (size_t i = 0; i < got.size(); ++i) worst = std::max(worst, std::abs(got[i] - expect[i]));
        }
        EXPECT_GT(rig.ref.most_steps, kOverdriveStepsPerFrame * 2048 + kOverdriveStepReserve) << ohms;
        EXPECT_LE(worst, 2) << ohms;
    }
}

TEST(Overdrive, ZeroAtTheNineProbesPassesUnchangedAndResets) {
    auto fx = make_stage<Overdrive>(OverdriveParams{});
    auto run = [&](const std::vector<int16_t>& pcm) { return processed(*fx, pcm, 2); };
    std::vector<int16_t> warm = tone(512, 25000, 300, 3);
    run(warm);
    ASSERT_TRUE(fx->od_v[0] != 0.0 && fx->od_v[1] != 0.0 && fx->od_x_prev != 0.0);
    std::vector<int16_t> probes(2 * 100, 1234);
    for (int n : {0, 1, 16, 17, 24, 25, 32, 33, 99}) probes[n * 2] = probes[n * 2 + 1] = 0;
    const double lp = fx->od_lp;
    EXPECT_EQ(run(probes), probes);
    // The input low-pass is not part of the reset.
    EXPECT_EQ(std::tuple(fx->od_x_prev, fx->od_v[0], fx->od_v[1], fx->od_lp), std::tuple(0.0, 0.0, 0.0, lp));
    // A buffer shorter than the probes: positions past its end count as zero.
    const std::vector<int16_t> five = {0, 0, 0, 0, 500, 500, -500, -500, 0, 0};
    EXPECT_EQ(run(five), five);
    // One probe that is not zero is enough to process the buffer.
    std::vector<int16_t> live = probes;
    live[33 * 2] = 1;
    EXPECT_NE(run(live), live);
}

}  // namespace
}  // namespace vemo::test
