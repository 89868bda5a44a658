// Graphic equaliser: band tables, gain law, reset, band counts and the per-frame arithmetic.
#include <span>
#include <string>

#include "effects/graphic_eq.h"
#include "test_support.h"

namespace vemo::test {
namespace {

const EqBandCoef* find_row(int rate, int bands, const std::string& label) {
    const EqBandCoef* t = eq_band_table(rate, bands);
    for (int b = 0; t && b < bands; ++b)
        if (label == t[b].label) return &t[b];
    return nullptr;
}

std::string labels_of(int rate, int bands) {
    std::string out;
    for (int b = 0; b < bands; ++b) out += std::string(b ? " " : "") + eq_band_table(rate, bands)[b].label;
    return out;
}

TEST(EqTables, CheckRowsHoldToOneTenMillionth) {
    const struct {
        int rate, bands;
        const char* label;
        double beta, alpha, gamma;
    } rows[] = {
        {44100, 10, "1K", 0.9041630626, 0.04791845754, 1.884869099},
        {44100, 10, "16K", 0.2419811934, 0.3790093958, -0.8084508777},
        {48000, 10, "31", 0.9971347451, 0.001432620455, 1.997118354},
        {44100, 15, "25", 0.9983407259, 0.0008296364686, 1.99832809},
        {48000, 31, "20K", 0.6088421345, 0.1955789328, -1.393298149},
        {11025, 10, "5.5K", 0.3345324397, 0.3327337801, -1.334498644},
    };
    for (const auto& r : rows) {
        const EqBandCoef* c = find_row(r.rate, r.bands, r.label);
        ASSERT_NE(c, nullptr) << r.rate << " " << r.label;
        EXPECT_TRUE(std::abs(c->beta - r.beta) <= 1e-7 && std::abs(c->alpha - r.alpha) <= 1e-7 &&
                    std::abs(c->gamma - r.gamma) <= 1e-7)
            << r.rate << " " << r.label << ": " << c->beta << " " << c->alpha << " " << c->gamma;
    }
}

constexpr std::pair<int, int> kTables[] = {{11025, 10}, {22050, 10}, {44100, 10}, {44100, 15}, {44100, 25},
                                           {44100, 31}, {48000, 10}, {48000, 15}, {48000, 25}, {48000, 31}};

TEST(EqTables, LabelsOfAllTenTablesNameTheirFrequencies) {
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
    for (auto [rate, bands] : kTables)
        for (const EqBandCoef* r = eq_band_table(rate, bands); r != eq_band_table(rate, bands) + bands; ++r)
            EXPECT_EQ(r->freq, std::stof(r->label) * (std::strchr(r->label, 'K') ? 1000 : 1))
                << rate << " " << r->label;
    EXPECT_TRUE(!eq_band_table(22050, 31) && !eq_band_table(32000, 10) && !eq_band_table(44100, 12));
}

TEST(EqControl, SelectTableFollowsRateAndBandCount) {
    // Low rates always take their 10 bands; any other rate is taken as 44100, an unknown count as 10.
    const struct {
        int bands, rate, picked, table_rate, table_bands;
    } rows[] = {{31, 11025, 11025, 11025, 10}, {31, 22050, 22050, 22050, 10}, {25, 48000, 48000, 48000, 25},
                {15, 32000, 44100, 44100, 15}, {12, 44100, 44100, 44100, 10}};
    auto eq = std::make_unique<EqState>();
    for (const auto& r : rows) {
        const int picked = eq_select_table(*eq, r.bands, r.rate);
        EXPECT_EQ(std::tuple(picked, eq->eq_table, eq->eq_bands_in_use),
                  std::tuple(r.picked, eq_band_table(r.table_rate, r.table_bands), r.table_bands))
            << r.bands << " at " << r.rate;
    }
}

TEST(EqControl, GainLawAndBandCountChanges) {
    auto eq = std::make_unique<EqState>();
    auto gain = [&](float level, int band, int channel) {
        eq_set_gain(*eq, level, band, channel);
        return band < 0 ? eq->eq_preamp[channel].load() : eq->eq_gain[band][channel].load();
    };
    EXPECT_NEAR(gain(0.0f, -1, 0), 1.0f, 3e-7);
    EXPECT_NEAR(gain(0.0f, 4, 1), 4.2e-11, 0.1e-11);
    EXPECT_NEAR(gain(20.0f, 30, 0), 1.0015, 1e-4);
    EXPECT_NEAR(gain(-20.0f, 30, 0), -0.2015, 1e-4);
    EXPECT_NEAR(gain(6.0f, -1, 1), std::exp(0.06931473865667184 * 6), 1e-6);
    // Out of range bands and channels change nothing; undefined levels give finite gains.
    const float before = eq->eq_gain[0][0].load();
    for (auto [band, channel] : {std::pair{31, 0}, {-2, 0}, {0, 2}}) eq_set_gain(*eq, 20.0f, band, channel);
    EXPECT_EQ(eq->eq_gain[0][0].load(), before);
    EXPECT_NEAR(gain(NAN, 0, 0), 4.2e-11, 0.1e-11);
    EXPECT_TRUE(std::isfinite(gain(INFINITY, 1, 0)) && std::isfinite(gain(3e9f, -1, 0)));

    // A band count change resets the gains up to the new count of every channel, and the memories.
    for (int c = 0; c < 2; ++c)
        for (int b = -1; b < kEqMaxBands; ++b) eq_set_gain(*eq, 20.0f, b, c);
    eq->eq_hist1[0].x[0][0] = 9.0f;
    eq_set_band_count(*eq, 15, 48000, 2);
    EXPECT_TRUE(eq->eq_band_count == 15 && eq->eq_table == eq_band_table(48000, 15) && eq->eq_hist1[0].x[0][0] == 0.0f);
    for (int c = 0; c < 2; ++c) {
        EXPECT_NEAR(eq->eq_preamp[c].load(), 1.0f, 3e-7);
        EXPECT_NEAR(eq->eq_gain[14][c].load(), 4.2e-11, 0.1e-11);
        EXPECT_GT(eq->eq_gain[15][c].load(), 1.0f);
    }
    // Counts beyond the table act as 10 and never reach past 31 gains or 2 channels.
    eq_set_band_count(*eq, 1000000, 44100, 2);
    EXPECT_TRUE(eq->eq_bands_in_use == 10 && std::abs(eq->eq_gain[30][1].load() - 4.2e-11) <= 0.1e-11);
    eq_set_band_count(*eq, -7, 44100, 5);
    EXPECT_EQ(eq->eq_bands_in_use, 10);
}

TEST(EqControl, ResetDrawsDitherClearsMemoriesAndKeepsSlots) {
    auto eq = std::make_unique<EqState>();
    eq->eq_i = 2, eq->eq_j = 1, eq->eq_k = 0, eq->eq_dither_pos = 77;
    eq->eq_hist1[3].y[2][1] = eq->eq_hist2[30].x[0][0] = 5.0f;
    eq_reset(*eq);
    // The dither is whole numbers -2..1, each about a quarter of the time.
    const std::vector<double> first(std::begin(eq->eq_dither), std::end(eq->eq_dither));
    for (double v : {-2.0, -1.0, 0.0, 1.0}) {
        const auto n = std::count(first.begin(), first.end(), v);
        EXPECT_TRUE(n > kEqDitherSize / 4 - 32 && n < kEqDitherSize / 4 + 32) << v << ": " << n;
    }
    EXPECT_EQ(
        std::count_if(first.begin(), first.end(), [](double v) { return v >= -2 && v <= 1 && v == std::trunc(v); }),
        kEqDitherSize);
    EXPECT_TRUE(eq->eq_dither_pos == 0 && eq->eq_hist1[3].y[2][1] == 0.0f && eq->eq_hist2[30].x[0][0] == 0.0f &&
                eq->eq_i == 2 && eq->eq_j == 1 && eq->eq_k == 0);
    eq_reset(*eq);  // a second reset draws on from the generator
    EXPECT_NE(std::vector<double>(std::begin(eq->eq_dither), std::end(eq->eq_dither)), first);
}

// (Rounding halves to even shows in the comparison with the plain algorithm below, which meets halves.)
TEST(EqProcess, ScalesAndSaturates) {
    // 10 bands at 44100, every gain exactly 0 and no dither: only the dry path is left.  Full scale:
    // 1.25 * 0.45 * 4 * 32767 saturates; 18000 * 1.25 = 22500.
    auto eq = std::make_unique<EqState>();
    eq_select_table(*eq, 10, 44100);
    for (int c = 0; c < 2; ++c) {
        eq->eq_preamp[c].store(4.0f);
        for (auto& g : eq->eq_gain) g[c].store(0.0f);
    }
    EXPECT_EQ(processed(*eq, {32767, -32768, 10000, -10000}, 2),
              (std::vector<int16_t>{32767, -32768, 22500, -22500}));
}

// The per-frame algorithm written out plainly, one channel and one band after the other, with
// the table, gains and dither of `eq`, for comparison with the stage (which runs channels and
// frames interleaved and rotates its memory slots instead of shifting them).
struct Reference {
    explicit Reference(const EqState& state) : eq(state) {}
    const EqState& eq;
    struct Memory {
        float x1 = 0, x2 = 0, y1 = 0, y2 = 0;  // input and output one and two frames back
    };
    Memory first[kEqMaxBands][2], second[kEqMaxBands][2];
    int pos = 0;

    static double band(const EqBandCoef& r, Memory& m, double in) {
        const double out = r.alpha * (in - m.x2) + double(r.gamma) * m.y1 - double(r.beta) * m.y2;
        m = {static_cast<float>(in), m.x1, static_cast<float>(out), m.y1};
        return out;
    }
    void run(std::vector<int16_t>& pcm, int channels) {
        for (size_t n = 0; n < pcm.size() / channels; ++n) {
            for (int c = 0; c < channels; ++c) {
                int16_t& s = pcm[n * channels + c];
                const double d = eq.eq_dither[pos];
                const float x = static_cast<float>(s * static_cast<double>(eq.eq_preamp[c].load()) + d);
                double acc = 0;
                for (int b = 0; b < eq.eq_bands_in_use; ++b)
                    acc += band(eq.eq_table[b], first[b][c], x) * eq.eq_gain[b][c].load();
                for (int b = 0; eq.eq_extra_filter && b < eq.eq_bands_in_use; ++b)
                    acc += 2 * band(eq.eq_table[b], second[b][c], acc) * eq.eq_gain[b][c].load();
                const int r = static_cast<int>(
                    std::clamp(std::nearbyint(static_cast<float>(acc + 0.45 * x - 0.25 * d)), -32768.0f, 32767.0f));
                s = static_cast<int16_t>(std::clamp(static_cast<int>(1.25 * r), -32768, 32767));
            }
            pos = (pos + 1) % kEqDitherSize;
        }
    }
};

TEST(EqProcess, MatchesThePlainPerFrameAlgorithm) {
    for (int channels : {1, 2}) {
        for (bool extra : {false, true}) {
            auto eq = std::make_unique<EqState>();
            eq_set_band_count(*eq, 31, 48000, 2);
            eq->eq_extra_filter.store(extra);
            for (int c = 0; c < 2; ++c)
                for (int b = -1; b < 31; ++b)
                    eq_set_gain(*eq, b < 0 ? (c ? -3.0f : 4.5f) : float((b * 7 + c * 5) % 41 - 20), b, c);
            auto ref = std::make_unique<Reference>(*eq);
            // Two buffers of a length that is no multiple of anything, so state carries over.
            for (int frames : {1001, 347}) {
                std::vector<int16_t> pcm;
                for (int n = 0; n < frames * channels; ++n)
                    pcm.push_back(static_cast<int16_t>(9000 * std::sin(n * 0.37) + (n * 7919) % 9000 - 4500));
                std::vector<int16_t> expected = pcm;
                ref->run(expected, channels);
                ASSERT_EQ(processed(*eq, pcm, channels, 48000), expected)
                    << channels << " channels, extra " << extra;
            }
            EXPECT_EQ(eq->eq_dither_pos, ref->pos);  // (1001 + 347) mod 256
        }
    }
}

// ---------------------------------------------------------------- through the exports

using GraphicEq = Session;

// All bands flat (gain 4.2e-11): full scale leaves as the dry path alone, trunc(1.25 * 14745).
// Only flag 1 runs the stage, and at 32000 Hz neither the switch nor a band-count change does.
TEST_F(GraphicEq, FlatFullScaleLeavesAsTheDryPathAndOnlySupportedRatesRun) {
    for (int rate : {44100, 32000}) {
        start(rate, 2, 0);
        vemomix_setiir(1);
        editor().eq.choose_band_count(15);
        std::vector<int16_t> pcm(2 * 4096, 32767);
        change(pcm);
        EXPECT_EQ(std::count(pcm.begin(), pcm.end(), rate == 44100 ? 18431 : 32767), 2 * 4096) << rate;
        EXPECT_EQ(engine().rate, rate);
    }
}

TEST_F(GraphicEq, RecordsFarOutOfRangeLeaveNoNonFiniteMemory) {
    for (int band_count : {31, 1000000, -5}) {
        set_record([&](EffectSettings& s) {
            s.eq_enabled = s.eq_extra_filter = 1, s.eq_preamp_pos = INT32_MAX, s.eq_band_count = band_count;
            for (int b = 0; b < 31; ++b) s.eq_band_level[b] = b % 3 ? INT32_MAX : INT32_MIN;
        });
        std::vector<int16_t> pcm = noise(2 * 4096, band_count);
        change(pcm), change(pcm);
        const EqState& eq = engine().eq;
        // All memories finite; saturated, never wrapped: a boosted loud signal stays at the rails.
        EXPECT_TRUE(all_finite(std::span(&eq.eq_hist1[0].x[0][0], sizeof eq.eq_hist1 / (sizeof(float)))) &&
                    all_finite(std::span(&eq.eq_hist2[0].x[0][0], sizeof eq.eq_hist2 / (sizeof(float)))) &&
                    *std::max_element(pcm.begin(), pcm.end()) == 32767)
            << band_count;
    }
}

}  // namespace
}  // namespace vemo::test
