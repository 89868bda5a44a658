// The graphic equaliser: its band tables, gain law, reset, band-count changes and the
// per-frame processing, both on a local state and through the exports.
#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "effects/graphic_eq.h"
#include "effects/random.h"
#include "test_support.h"

namespace vemo::test {
namespace {

const EqBandCoef* find_row(int rate, int bands, const char* label) {
    const EqBandCoef* t = eq_band_table(rate, bands);
    if (t == nullptr) return nullptr;
    for (int b = 0; b < bands; ++b)
        if (std::strcmp(t[b].label, label) == 0) return &t[b];
    return nullptr;
}

std::string labels_of(int rate, int bands) {
    const EqBandCoef* t = eq_band_table(rate, bands);
    std::string out;
    for (int b = 0; b < bands; ++b) out += std::string(t[b].label) + (b + 1 < bands ? " " : "");
    return out;
}

// |H(e^{j theta})| of one band row.
double magnitude(const EqBandCoef& r, double theta) {
    const std::complex<double> z1 = std::polar(1.0, -theta);
    const std::complex<double> z2 = z1 * z1;
    return std::abs(static_cast<double>(r.alpha) * (1.0 - z2) /
                    (1.0 - static_cast<double>(r.gamma) * z1 + static_cast<double>(r.beta) * z2));
}

TEST(EqTables, CheckRowsHoldToOneTenMillionth) {
    struct Row {
        int rate, bands;
        const char* label;
        double beta, alpha, gamma;
    };
    const Row rows[] = {
        {44100, 10, "1K", 0.9041630626, 0.04791845754, 1.884869099},
        {44100, 10, "16K", 0.2419811934, 0.3790093958, -0.8084508777},
        {48000, 10, "31", 0.9971347451, 0.001432620455, 1.997118354},
        {44100, 15, "25", 0.9983407259, 0.0008296364686, 1.99832809},
        {48000, 31, "20K", 0.6088421345, 0.1955789328, -1.393298149},
        {11025, 10, "5.5K", 0.3345324397, 0.3327337801, -1.334498644},
    };
    for (const Row& r : rows) {
        const EqBandCoef* c = find_row(r.rate, r.bands, r.label);
        ASSERT_NE(c, nullptr) << r.rate << " " << r.label;
        EXPECT_NEAR(c->beta, r.beta, 1e-7) << r.rate << " " << r.label;
        EXPECT_NEAR(c->alpha, r.alpha, 1e-7) << r.rate << " " << r.label;
        EXPECT_NEAR(c->gamma, r.gamma, 1e-7) << r.rate << " " << r.label;
    }
}

TEST(EqTables, LabelsAndFrequenciesOfAllTenTables) {
    const std::string high25 = " 100 125 160 250 315 400 500 800 1K 1.25K 1.6K 2.5K 3.15K 4K 5K 8K 10K 12.5K 16K 20K";
    EXPECT_EQ(labels_of(11025, 10), "31 62 125 250 500 1K 2K 3K 4K 5.5K");
    EXPECT_EQ(labels_of(22050, 10), "31 62 125 250 500 1K 2K 4K 8K 11K");
    for (int rate : {44100, 48000}) {
        EXPECT_EQ(labels_of(rate, 10), "31 62 125 250 500 1K 2K 4K 8K 16K");
        EXPECT_EQ(labels_of(rate, 15), "25 40 63 100 160 250 400 630 1K 1.6K 2.5K 4K 6.3K 10K 16K");
        EXPECT_EQ(labels_of(rate, 31),
                  "20 25 31.5 40 50 63 80 100 125 160 200 250 315 400 500 630 800 1K 1.25K 1.6K 2K 2.5K "
                  "3.15K 4K 5K 6.3K 8K 10K 12.5K 16K 20K");
    }
    // The one place where the two rates' lists differ.
    EXPECT_EQ(labels_of(44100, 25), "20 31.5 40 50 60" + high25);
    EXPECT_EQ(labels_of(48000, 25), "20 31.5 40 50 80" + high25);
    EXPECT_EQ(find_row(44100, 25, "60")->freq, 60.0f);
    EXPECT_EQ(find_row(48000, 25, "80")->freq, 80.0f);

    EXPECT_EQ(find_row(44100, 31, "31.5")->freq, 31.5f);
    EXPECT_EQ(find_row(44100, 31, "3.15K")->freq, 3150.0f);
    EXPECT_EQ(find_row(48000, 25, "12.5K")->freq, 12500.0f);
    EXPECT_EQ(find_row(11025, 10, "5.5K")->freq, 5500.0f);
    EXPECT_EQ(find_row(22050, 10, "11K")->freq, 11000.0f);

    EXPECT_EQ(eq_band_table(22050, 31), nullptr);
    EXPECT_EQ(eq_band_table(32000, 10), nullptr);
    EXPECT_EQ(eq_band_table(44100, 12), nullptr);
}

TEST(EqTables, EveryRowPeaksAtOneAndIsThreeDecibelsDownAtItsLowerEdge) {
    struct T {
        int rate, bands;
    };
    for (const T t : {T{11025, 10}, T{22050, 10}, T{44100, 10}, T{44100, 15}, T{44100, 25}, T{44100, 31}, T{48000, 10},
                      T{48000, 15}, T{48000, 25}, T{48000, 31}}) {
        const EqBandCoef* rows = eq_band_table(t.rate, t.bands);
        ASSERT_NE(rows, nullptr);
        const double width = t.bands == 10 ? 1.0 : t.bands == 15 ? 2.0 / 3.0 : 1.0 / 3.0;
        for (int b = 0; b < t.bands; ++b) {
            const EqBandCoef& r = rows[b];
            const double theta0 = 2 * std::numbers::pi * r.freq / t.rate;
            const double theta1 = theta0 / std::pow(2.0, width / 2);
            EXPECT_GT(r.beta, 0.0f);
            EXPECT_LT(r.beta, 1.0f);
            // Rounding to float moves the narrowest low bands: the peak by under 1e-3, the edge by
            // up to 0.015 (a wrong width would put the edge near 0.45 or 0.9).
            EXPECT_NEAR(magnitude(r, theta0), 1.0, 1e-3) << t.rate << "/" << t.bands << " " << r.label;
            EXPECT_NEAR(magnitude(r, theta1), std::sqrt(0.5), 0.02) << t.rate << "/" << t.bands << " " << r.label;
        }
    }
    // Same angle, same coefficients.
    const EqBandCoef* a = find_row(22050, 10, "1K");
    const EqBandCoef* b = find_row(44100, 10, "2K");
    EXPECT_EQ(a->beta, b->beta);
    EXPECT_EQ(a->alpha, b->alpha);
    EXPECT_EQ(a->gamma, b->gamma);
}

TEST(EqControl, SelectTableFollowsRateAndBandCount) {
    auto eq = std::make_unique<EqState>();
    EXPECT_EQ(eq_select_table(*eq, 31, 11025), 11025);
    EXPECT_EQ(eq->eq_table, eq_band_table(11025, 10));
    EXPECT_EQ(eq->eq_bands_in_use, 10);
    EXPECT_EQ(eq_select_table(*eq, 31, 22050), 22050);
    EXPECT_EQ(eq->eq_bands_in_use, 10);
    EXPECT_EQ(eq_select_table(*eq, 25, 48000), 48000);
    EXPECT_EQ(eq->eq_table, eq_band_table(48000, 25));
    EXPECT_EQ(eq->eq_bands_in_use, 25);
    // Anything else is taken as 44100, and an unknown count as 10.
    EXPECT_EQ(eq_select_table(*eq, 15, 32000), 44100);
    EXPECT_EQ(eq->eq_table, eq_band_table(44100, 15));
    EXPECT_EQ(eq_select_table(*eq, 12, 44100), 44100);
    EXPECT_EQ(eq->eq_table, eq_band_table(44100, 10));
    EXPECT_EQ(eq->eq_bands_in_use, 10);
}

TEST(EqControl, GainLaw) {
    auto eq = std::make_unique<EqState>();
    eq_set_gain(*eq, 0.0f, -1, 0);
    EXPECT_NEAR(eq->eq_preamp[0].load(), 1.0f, 3e-7);
    eq_set_gain(*eq, 0.0f, 4, 1);
    EXPECT_NEAR(eq->eq_gain[4][1].load(), 4.2e-11, 0.1e-11);
    eq_set_gain(*eq, 20.0f, 30, 0);
    EXPECT_NEAR(eq->eq_gain[30][0].load(), 1.0015, 1e-4);
    eq_set_gain(*eq, -20.0f, 30, 0);
    EXPECT_NEAR(eq->eq_gain[30][0].load(), -0.2015, 1e-4);
    eq_set_gain(*eq, 6.0f, -1, 1);
    EXPECT_NEAR(eq->eq_preamp[1].load(), std::exp(0.06931473865667184 * 6), 1e-6);

    // Out of range bands and channels change nothing; undefined levels give finite gains.
    const float before = eq->eq_gain[0][0].load();
    eq_set_gain(*eq, 20.0f, 31, 0);
    eq_set_gain(*eq, 20.0f, -2, 0);
    eq_set_gain(*eq, 20.0f, 0, 2);
    EXPECT_EQ(eq->eq_gain[0][0].load(), before);
    eq_set_gain(*eq, NAN, 0, 0);
    EXPECT_NEAR(eq->eq_gain[0][0].load(), 4.2e-11, 0.1e-11);
    eq_set_gain(*eq, INFINITY, 1, 0);
    eq_set_gain(*eq, 3e9f, -1, 0);
    EXPECT_TRUE(std::isfinite(eq->eq_gain[1][0].load()));
    EXPECT_TRUE(std::isfinite(eq->eq_preamp[0].load()));
}

TEST(EqControl, ResetDrawsDitherAndKeepsSlots) {
    auto eq = std::make_unique<EqState>();
    eq->eq_i = 2, eq->eq_j = 1, eq->eq_k = 0;
    eq->eq_dither_pos = 77;
    eq->eq_hist1[3].y[2][1] = 5.0f;
    eq->eq_hist2[30].x[0][0] = -5.0f;

    vemo_srand(12345);
    std::vector<int> expected;
    for (int n = 0; n < kEqDitherSize; ++n) expected.push_back(vemo_rand() % 4 - 2);
    vemo_srand(12345);
    eq_reset(*eq);
    for (int n = 0; n < kEqDitherSize; ++n) EXPECT_EQ(eq->eq_dither[n], expected[n]) << n;
    EXPECT_EQ(eq->eq_dither_pos, 0);
    EXPECT_EQ(eq->eq_hist1[3].y[2][1], 0.0f);
    EXPECT_EQ(eq->eq_hist2[30].x[0][0], 0.0f);
    EXPECT_EQ(eq->eq_i, 2);
    EXPECT_EQ(eq->eq_j, 1);
    EXPECT_EQ(eq->eq_k, 0);

    // A second reset draws on from the generator.
    std::vector<double> first(std::begin(eq->eq_dither), std::end(eq->eq_dither));
    eq_reset(*eq);
    EXPECT_NE(first, std::vector<double>(std::begin(eq->eq_dither), std::end(eq->eq_dither)));
}

TEST(EqControl, BandCountChangeResetsGainsForEveryChannel) {
    auto eq = std::make_unique<EqState>();
    for (int c = 0; c < 2; ++c) {
        eq_set_gain(*eq, 12.0f, -1, c);
        for (int b = 0; b < kEqMaxBands; ++b) eq_set_gain(*eq, 20.0f, b, c);
    }
    eq->eq_hist1[0].x[0][0] = 9.0f;
    eq_set_band_count(*eq, 15, 48000, 2);
    EXPECT_EQ(eq->eq_band_count, 15);
    EXPECT_EQ(eq->eq_table, eq_band_table(48000, 15));
    EXPECT_EQ(eq->eq_hist1[0].x[0][0], 0.0f);
    for (int c = 0; c < 2; ++c) {
        EXPECT_NEAR(eq->eq_preamp[c].load(), 1.0f, 3e-7);
        EXPECT_NEAR(eq->eq_gain[14][c].load(), 4.2e-11, 0.1e-11);
        EXPECT_GT(eq->eq_gain[15][c].load(), 1.0f);  // beyond the new count: left alone
    }
    // Counts beyond the table act as 10 and never reach past 31 gains.
    eq_set_band_count(*eq, 1000000, 44100, 2);
    EXPECT_EQ(eq->eq_bands_in_use, 10);
    EXPECT_NEAR(eq->eq_gain[30][1].load(), 4.2e-11, 0.1e-11);
    eq_set_band_count(*eq, -7, 44100, 5);
    EXPECT_EQ(eq->eq_bands_in_use, 10);
}

// A local state ready to process: 10 bands at 44100, every gain exactly 0, no dither.
std::unique_ptr<EqState> silent_bank(float preamp) {
    auto eq = std::make_unique<EqState>();
    eq_select_table(*eq, 10, 44100);
    for (int c = 0; c < 2; ++c) {
        eq->eq_preamp[c].store(preamp);
        for (auto& g : eq->eq_gain) g[c].store(0.0f);
    }
    return eq;
}

void run(EqState& eq, std::vector<int16_t>& pcm, int channels, int rate = 44100) {
    StageContext ctx;
    ctx.rate = rate;
    ctx.channels = channels;
    ctx.frames = static_cast<int>(pcm.size()) / channels;
    ctx.sample_count = ctx.frames * channels;
    eq_process(eq, pcm.data(), ctx);
}

TEST(EqProcess, SlotsRotateOncePerFrameAndDitherWraps) {
    auto eq = silent_bank(1.0f);
    std::vector<int16_t> one_frame(2, 100);
    const int expected[4][3] = {{1, 0, 2}, {2, 1, 0}, {0, 2, 1}, {1, 0, 2}};
    for (const auto& e : expected) {
        run(*eq, one_frame, 2);
        EXPECT_EQ(eq->eq_i, e[0]);
        EXPECT_EQ(eq->eq_j, e[1]);
        EXPECT_EQ(eq->eq_k, e[2]);
    }
    EXPECT_EQ(eq->eq_dither_pos, 4);
    std::vector<int16_t> mono(253, 100);
    run(*eq, mono, 1);
    EXPECT_EQ(eq->eq_dither_pos, 1);  // (4 + 253) mod 256
}

TEST(EqProcess, RoundsHalvesToEvenBeforeTheFinalScale) {
    // Find a pre-gain for which 0.45 * x lands exactly on 2.5 in single precision.
    float x = 2.5f / 0.45f;
    for (int n = 0; n < 64 && static_cast<float>(0.45 * x) != 2.5f; ++n) x = std::nextafter(x, 100.0f);
    ASSERT_EQ(static_cast<float>(0.45 * x), 2.5f);
    auto eq = silent_bank(x);
    std::vector<int16_t> pcm = {1, -1};
    run(*eq, pcm, 2);
    EXPECT_EQ(pcm[0], 2);  // 2.5 -> 2, then trunc(1.25 * 2)
    EXPECT_EQ(pcm[1], -2);

    // Full scale: the dry path alone, 1.25 * 0.45 * 32767 and saturation of 1.25 * r.
    auto loud = silent_bank(4.0f);
    std::vector<int16_t> big = {32767, -32768, 10000, -10000};
    run(*loud, big, 2);
    EXPECT_EQ(big[0], 32767);
    EXPECT_EQ(big[1], -32768);
    EXPECT_EQ(big[2], 22500);  // 18000 * 1.25
    EXPECT_EQ(big[3], -22500);
}

// The per-frame algorithm written out plainly, one channel and one band after the other, for
// comparison with the stage (which runs channels and frames interleaved).
struct Reference {
    const EqBandCoef* table;
    int bands;
    bool extra;
    float gain[kEqMaxBands][2], preamp[2];
    float x1[kEqMaxBands][2][3] = {}, y1[kEqMaxBands][2][3] = {}, x2[kEqMaxBands][2][3] = {},
          y2[kEqMaxBands][2][3] = {};
    double dither[kEqDitherSize];
    int i = 0, j = 2, k = 1, pos = 0;

    void run(int16_t* pcm, int frames, int channels) {
        for (int n = 0; n < frames; ++n) {
            for (int c = 0; c < channels; ++c) {
                int16_t& s = pcm[n * channels + c];
                const float x = static_cast<float>(s * static_cast<double>(preamp[c]) + dither[pos]);
                double acc = 0;
                for (int b = 0; b < bands; ++b) {
                    const EqBandCoef& r = table[b];
                    x1[b][c][i] = x;
                    const double y = r.alpha * (static_cast<double>(x) - x1[b][c][k]) +
                                     static_cast<double>(r.gamma) * y1[b][c][j] -
                                     static_cast<double>(r.beta) * y1[b][c][k];
                    y1[b][c][i] = static_cast<float>(y);
                    acc += y * gain[b][c];
                }
                for (int b = 0; extra && b < bands; ++b) {
                    const EqBandCoef& r = table[b];
                    x2[b][c][i] = static_cast<float>(acc);
                    const double y = r.alpha * (acc - x2[b][c][k]) + static_cast<double>(r.gamma) * y2[b][c][j] -
                                     static_cast<double>(r.beta) * y2[b][c][k];
                    y2[b][c][i] = static_cast<float>(y);
                    acc += 2 * y * gain[b][c];
                }
                const float out = static_cast<float>(acc + 0.45 * x - 0.25 * dither[pos]);
                const int r = static_cast<int>(std::clamp(std::nearbyint(out), -32768.0f, 32767.0f));
                s = static_cast<int16_t>(std::clamp(static_cast<int>(1.25 * r), -32768, 32767));
            }
            ++i, ++j, ++k;
            if (i == 3)
                i = 0;
            else if (j == 3)
                j = 0;
            else
                k = 0;
            pos = (pos + 1) % kEqDitherSize;
        }
    }
};

TEST(EqProcess, MatchesThePlainPerFrameAlgorithm) {
    for (int channels : {1, 2}) {
        for (bool extra : {false, true}) {
            auto eq = std::make_unique<EqState>();
            eq_set_band_count(*eq, 31, 48000, 2);
            auto ref = std::make_unique<Reference>();
            ref->table = eq->eq_table;
            ref->bands = 31;
            ref->extra = extra;
            eq->eq_extra_filter.store(extra);
            for (int c = 0; c < 2; ++c) {
                eq_set_gain(*eq, c ? -3.0f : 4.5f, -1, c);
                for (int b = 0; b < 31; ++b) eq_set_gain(*eq, static_cast<float>((b * 7 + c * 5) % 41 - 20), b, c);
                ref->preamp[c] = eq->eq_preamp[c].load();
                for (int b = 0; b < 31; ++b) ref->gain[b][c] = eq->eq_gain[b][c].load();
            }
            std::copy(std::begin(eq->eq_dither), std::end(eq->eq_dither), ref->dither);

            // Two buffers of a length that is no multiple of anything, so state carries over.
            for (int frames : {1001, 347}) {
                std::vector<int16_t> pcm;
                for (int n = 0; n < frames * channels; ++n)
                    pcm.push_back(static_cast<int16_t>(9000 * std::sin(n * 0.37) + (n * 7919) % 9000 - 4500));
                std::vector<int16_t> expected = pcm;
                ref->run(expected.data(), frames, channels);
                run(*eq, pcm, channels, 48000);
                ASSERT_EQ(pcm, expected) << channels << " channels, extra " << extra;
            }
            EXPECT_EQ(eq->eq_i, ref->i);
            EXPECT_EQ(eq->eq_k, ref->k);
            EXPECT_EQ(eq->eq_dither_pos, ref->pos);
        }
    }
}

// ---------------------------------------------------------------- through the exports

class GraphicEq : public Session {
protected:
    // A chain with the equaliser alone, at these band levels.
    void configure(int band_count, const std::vector<std::pair<int, int>>& levels, int extra = 0) {
        EffectSettings s = current();
        s.eq_enabled = 1;
        s.eq_band_count = band_count;
        std::fill(std::begin(s.eq_band_level), std::end(s.eq_band_level), 0);
        for (auto [band, level] : levels) s.eq_band_level[band] = level;
        s.eq_extra_filter = static_cast<uint8_t>(extra);
        s.eq_preamp_pos = 12;
        vemomix_set(s);
    }
    // The same dither for runs that are compared with each other.
    static void redraw_dither(uint32_t seed) {
        vemo_srand(seed);
        eq_reset(engine().eq);
    }
    static void change(std::vector<int16_t>& pcm) { vemomix_change(pcm.data(), static_cast<int32_t>(pcm.size() * 2)); }
    static std::vector<int16_t> sine(double hz, double amplitude, int frames, int channels, int rate = 44100) {
        std::vector<int16_t> out;
        for (int n = 0; n < frames; ++n)
            for (int c = 0; c < channels; ++c)
                out.push_back(
                    static_cast<int16_t>(std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * n / rate))));
        return out;
    }
    // Largest |sample| of channel 0 over the last `frames` frames.
    static int peak(const std::vector<int16_t>& pcm, int channels, int frames) {
        int p = 0;
        for (size_t n = pcm.size() - static_cast<size_t>(frames) * channels; n < pcm.size(); n += channels)
            p = std::max(p, std::abs(static_cast<int>(pcm[n])));
        return p;
    }
};

TEST_F(GraphicEq, FlatFullScaleLeavesAsDryPathAlone) {
    vemomix_setiir(1);
    std::vector<int16_t> pcm(2 * 4096, 32767);
    change(pcm);
    EXPECT_EQ(std::count(pcm.begin(), pcm.end(), 18431), static_cast<long>(pcm.size()));

    // Any sample: trunc(1.25 * r), r the integer nearest to 0.45 s + 0.2 d.
    const EqState& eq = engine().eq;
    const int pos = eq.eq_dither_pos;
    std::vector<int16_t> in;
    for (int n = 0; n < 512; ++n)
        in.push_back(static_cast<int16_t>(n * 127 - 32000)), in.push_back(static_cast<int16_t>(-n * 61));
    std::vector<int16_t> out = in;
    change(out);
    int checked = 0;
    for (size_t n = 0; n < in.size(); ++n) {
        const double exact = 0.45 * in[n] + 0.2 * eq.eq_dither[(pos + n / 2) % 256];
        if (std::abs(exact - std::floor(exact) - 0.5) < 1e-2) continue;  // a tie: float rounding decides
        EXPECT_EQ(out[n], static_cast<int>(1.25 * std::lround(exact))) << n;
        ++checked;
    }
    EXPECT_GT(checked, 900);
}

TEST_F(GraphicEq, OnlyFlagOneAndSupportedRatesRun) {
    std::vector<int16_t> pcm(64, 20000);
    vemomix_setiir(2);
    change(pcm);
    EXPECT_EQ(pcm[0], 20000);
    vemomix_setiir(1);
    change(pcm);
    EXPECT_NE(pcm[0], 20000);

    // At 32000 Hz neither the switch nor a band-count change lets it run, and the rate stays.
    start(32000, 2, 0);
    vemomix_setiir(1);
    editor().eq_choose_band_count(15);
    EXPECT_EQ(engine().rate, 32000);
    std::vector<int16_t> other(64, 20000);
    change(other);
    EXPECT_EQ(other, std::vector<int16_t>(64, 20000));
}

TEST_F(GraphicEq, BoostedBandAtItsCentreAndSaturation) {
    configure(10, {{5, 20}});  // "1K"
    std::vector<int16_t> pcm = sine(1000, 8000, 4096, 2);
    change(pcm);
    EXPECT_NEAR(peak(pcm, 2, 1024) / 8000.0, 1.25 * (0.45 + 1.0015), 0.01);

    std::vector<int16_t> loud = sine(1000, 30000, 4096, 2);
    const std::vector<int16_t> in = loud;
    change(loud);
    EXPECT_EQ(*std::max_element(loud.begin() + 4096, loud.end()), 32767);
    EXPECT_EQ(*std::min_element(loud.begin() + 4096, loud.end()), -32768);
    for (size_t n = 4096; n < in.size(); ++n)
        if (std::abs(in[n]) > 2000) {
            ASSERT_EQ(loud[n] > 0, in[n] > 0) << "wrapped at " << n;
        }

    // A band away from the tone hardly touches it.
    configure(10, {{0, 20}});
    std::vector<int16_t> far = sine(1000, 8000, 4096, 2);
    change(far);
    EXPECT_NEAR(peak(far, 2, 1024) / 8000.0, 1.25 * 0.45, 0.02);
}

TEST_F(GraphicEq, SecondPassFiltersTheRunningSumAtDoubleWeight) {
    configure(10, {{5, 20}}, 1);
    std::vector<int16_t> pcm = sine(1000, 2000, 4096, 2);
    change(pcm);
    // acc = g y + 2 g H(acc) at the centre: about 1.0015 + 2 * 1.0015^2.
    const double acc = 1.0015 + 2 * 1.0015 * 1.0015;
    EXPECT_NEAR(peak(pcm, 2, 1024) / 2000.0, 1.25 * (0.45 + acc), 0.03);

    // All levels flat: the second pass changes nothing that survives rounding.
    configure(10, {}, 1);
    redraw_dither(5);
    std::vector<int16_t> with = sine(440, 20000, 4096, 2);
    change(with);
    configure(10, {}, 0);
    redraw_dither(5);
    std::vector<int16_t> without = sine(440, 20000, 4096, 2);
    change(without);
    EXPECT_EQ(with, without);
}

TEST_F(GraphicEq, LowRatesProcessTenBandsWhateverTheCount) {
    for (int rate : {11025, 22050}) {
        start(rate, 2, 0);
        configure(31, {{12, 20}, {20, 20}});
        redraw_dither(3);
        EXPECT_EQ(engine().eq.eq_bands_in_use, 10);
        std::vector<int16_t> boosted_beyond = sine(440, 8000, 2048, 2, rate);
        change(boosted_beyond);

        start(rate, 2, 0);
        configure(31, {});
        redraw_dither(3);
        std::vector<int16_t> flat = sine(440, 8000, 2048, 2, rate);
        change(flat);
        EXPECT_EQ(boosted_beyond, flat) << rate;

        start(rate, 2, 0);
        configure(31, {{4, 20}});  // "500": close to the tone
        std::vector<int16_t> boosted = sine(440, 8000, 2048, 2, rate);
        change(boosted);
        EXPECT_GT(peak(boosted, 2, 512), peak(flat, 2, 512) + 4000) << rate;
    }
}

TEST_F(GraphicEq, RecordsFarOutOfRangeLeaveNoNonFiniteMemory) {
    EffectSettings s = current();
    s.eq_enabled = 1;
    s.eq_extra_filter = 1;
    s.eq_preamp_pos = 2147483647;
    for (int band_count : {31, 1000000, -5}) {
        s.eq_band_count = band_count;
        for (int b = 0; b < 31; ++b) s.eq_band_level[b] = (b % 3) ? 2147483647 : -2147483647 - 1;
        vemomix_set(s);
        std::vector<int16_t> pcm;
        for (int n = 0; n < 2 * 4096; ++n) pcm.push_back(static_cast<int16_t>((n * 104729) % 65536 - 32768));
        change(pcm);
        change(pcm);
        const EqState& eq = engine().eq;
        for (int b = 0; b < kEqMaxBands; ++b)
            for (int slot = 0; slot < 3; ++slot)
                for (int c = 0; c < 2; ++c) {
                    ASSERT_TRUE(std::isfinite(eq.eq_hist1[b].x[slot][c]) && std::isfinite(eq.eq_hist1[b].y[slot][c]));
                    ASSERT_TRUE(std::isfinite(eq.eq_hist2[b].x[slot][c]) && std::isfinite(eq.eq_hist2[b].y[slot][c]));
                }
        // Saturated, never wrapped: a boosted loud signal stays at the rails.
        EXPECT_EQ(*std::max_element(pcm.begin(), pcm.end()), 32767);
    }
}

}  // namespace
}  // namespace vemo::test
