// Overdrive: anti-alias designs, the diode clipper against a plain circuit, the silence probes.
#include "effects/overdrive.h"
#include "test_support.h"

namespace vemo::test {
namespace {

// The circuit written the plain way, one sub-sample after the other and every Newton step in
// order, for one channel (the stereo lanes are held to the mono path in test_stereo_paths).
struct Reference {
    double x_prev = 0, lp = 0, lp_a = 0, lp_b = 0, v = 0;
    Biquad<double> aa1, aa2;
    double mem1[4] = {}, mem2[4] = {};
    RcFilter post;
    int most_steps = 0;  // the most steps one solve took

    static double filter(const Biquad<double>& q, double* m, double x) {
        const double y = q.b0 * x + q.b1 * m[0] + q.b2 * m[1] - q.a1 * m[2] - q.a2 * m[3];
        m[1] = m[0], m[0] = x, m[3] = m[2], m[2] = y;
        return y;
    }
    double solve(double u, double j, double r) {
        for (int step = 1; step <= kOverdriveMaxNewtonSteps; ++step) {
            if (std::fabs(3.3333333333333335 * (u - v)) > 700.0) {
                const double bound = std::asinh(std::fabs(j) * 5e10) * 0.3;
                v = u - v > 0 ? u - bound : u + bound;
            }
            const double e = std::exp(3.3333333333333335 * (u - v));
            const double f = (e - 1.0 / e) * 1e-11 + (u - v) / r + j;
            const double delta = f / (-1.0 / r - (e + 1.0 / e) * 3.333333333333333e-11);
            v = v - delta;
            most_steps = std::max(most_steps, step);
            if (-0.01 <= delta && delta <= 0.01) break;
        }
        return v;
    }
    // A buffer that is not silent at the probes.
    void process(const OverdriveParams& p, std::vector<int16_t>& pcm) {
        const double r = p.odrive_drive_ohms >= 1 ? p.odrive_drive_ohms : 1.0;
        std::vector<float> w(pcm.begin(), pcm.end());
        for (float& s : w) {
            const double x = s * 0.0032, q = x_prev;
            x_prev = x;
            double z = 0;
            for (double u : {q, q + 0.25 * (x - q), q + 0.5 * (x - q), q + 0.75 * (x - q)}) {
                lp = lp_a * u + lp_b * lp;
                z = filter(aa2, mem2, filter(aa1, mem1, solve(u, (u - lp) * 0.0002127659574468085, r)));
            }
            s = static_cast<float>(std::fmin(std::fmax(1000.0 * z, -32768.0), 32767.0));
        }
        if (p.odrive_lowpass_on != 0) rc_run(post, w.data(), static_cast<int>(w.size()), kRcLowPass, 0);
        for (size_t n = 0; n < w.size(); ++n) pcm[n] = static_cast<int16_t>(static_cast<int32_t>(w[n]));
    }
};

struct Rig {
    std::unique_ptr<Overdrive> fx = std::make_unique<Overdrive>();
    Reference ref;

    explicit Rig(OverdriveParams p = {}) {
        overdrive_init(*fx, 44100, 1);
        ref.lp_a = fx->od_lp_a, ref.lp_b = fx->od_lp_b, ref.aa1 = fx->od_aa1, ref.aa2 = fx->od_aa2,
        ref.post = fx->od_post;
        set(p);
    }
    void set(const OverdriveParams& p) {
        fx->params = p;
        overdrive_configure(*fx, 44100, 1);
        rc_set_cutoff(ref.post, p.odrive_lowpass_hz, 44100, 1);
    }
    std::vector<int16_t> run(std::vector<int16_t> pcm) {
        run_stage(*fx, overdrive_process, pcm, 1);
        return pcm;
    }
    // Runs both on the same buffer; outputs and states must agree exactly.
    void both(const std::vector<int16_t>& pcm) {
        std::vector<int16_t> expect = pcm;
        ref.process(fx->params, expect);
        ASSERT_EQ(run(pcm), expect);
        EXPECT_TRUE(fx->od_x_prev == ref.x_prev && fx->od_lp == ref.lp && fx->od_v[0] == ref.v);
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
    EXPECT_EQ(rig.fx->od_aa1.a1, hi.a1);
    EXPECT_EQ(rig.fx->od_aa2.b0, lo.b0);
    const double dt = 0.25 / 44100;
    EXPECT_DOUBLE_EQ(rig.fx->od_lp_a, dt / (dt + 0.0002209));
    EXPECT_DOUBLE_EQ(rig.fx->od_lp_b, 0.0002209 / (dt + 0.0002209));
}

TEST(Overdrive, MatchesThePlainCircuitBitForBit) {
    Rig rig;
    int seed = 0;
    // Loud tones, the output low-pass on and off, a high drive, and full-scale edges where the
    // input jumps 210 V.  (Full-scale tones at a high drive need more plain steps than the
    // budget; see below.)
    for (int32_t ohms : {520, 4700, 100000}) {
        const double level = ohms == 520 ? 1.0 : 0.1;
        for (int32_t lp_on : {0, 1}) {
            rig.set({ohms, 2500, lp_on});
            rig.both(tone(2048, 30000 * level, 220, ++seed));
            rig.both(tone(1000, 9000 * level, 3000, ++seed));
            rig.both(tone(20, 32767 * level, 50, ++seed));
        }
        rig.both(square(2048, 300));
    }
}

// Full-scale noise and alternation at the highest frequency need hundreds of plain Newton steps
// for every sub-sample, more than the stage's budget: it finishes those solves inside the interval
// that holds the solution, and its output stays within a few units of the plain solve's.
TEST(Overdrive, InputBeyondTheStepBudgetSettlesNearThePlainSolution) {
    for (int32_t ohms : {520, 4700, 100000}) {
        Rig rig({ohms, 2500, 1});
        int worst = 0;
        for (const auto& pcm : {square(2048, 1), noise(2048, ohms, 32768)}) {
            std::vector<int16_t> expect = pcm;
            rig.ref.process(rig.fx->params, expect);
            const std::vector<int16_t> got = rig.run(pcm);
            for (size_t i = 0; i < got.size(); ++i) worst = std::max(worst, std::abs(got[i] - expect[i]));
        }
        EXPECT_GT(rig.ref.most_steps, 4 * kOverdriveStepsPerSubSample) << ohms;
        EXPECT_LE(worst, 2) << ohms;
    }
}

TEST(Overdrive, DcLeavesAtAboutThreePointTwoTimesWithinTheRails) {
    Rig rig;
    // The high-passed extra term has died away; what remains is the dry gain through both
    // anti-alias filters (1.000676 each).
    EXPECT_NEAR(rig.run(std::vector<int16_t>(4096, 5000)).back(), 5000 * 3.2 * 1.000676 * 1.000676, 1.0);
    EXPECT_EQ(rig.run(std::vector<int16_t>(4096, 20000)).back(), 32767);
    EXPECT_EQ(rig.run(std::vector<int16_t>(4096, -20000)).back(), -32768);
}

TEST(Overdrive, ZeroAtTheNineProbesPassesUnchangedAndResets) {
    auto fx = make_stage(overdrive_init, overdrive_configure, OverdriveParams{});
    auto run = [&](const std::vector<int16_t>& pcm) { return processed(*fx, overdrive_process, pcm, 2); };
    std::vector<int16_t> warm = tone(512, 25000, 300, 3);
    run(warm);
    ASSERT_TRUE(fx->od_v[0] != 0.0 && fx->od_v[1] != 0.0 && fx->od_x_prev != 0.0);
    std::vector<int16_t> probes(2 * 100, 1234);
    for (int n : {0, 1, 16, 17, 24, 25, 32, 33, 99}) probes[n * 2] = probes[n * 2 + 1] = 0;
    const double lp = fx->od_lp;
    EXPECT_EQ(run(probes), probes);
    EXPECT_TRUE(fx->od_x_prev == 0.0 && fx->od_v[0] == 0.0 && fx->od_v[1] == 0.0);
    EXPECT_EQ(fx->od_lp, lp);  // the input low-pass is not part of the reset
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
