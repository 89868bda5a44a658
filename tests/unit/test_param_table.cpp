// The parameter table against the record it describes: every byte of the 748 is a reserved
// gap or belongs to exactly one row, and each row's default is what the library reports after
// vemomix_init.  Then the slider laws at the values the editor's ranges are defined by.
#include <cmath>
#include <tuple>
#include <vector>

#include "settings/param_table.h"
#include "test_support.h"

namespace vemo::test {
namespace {

TEST(ParamTable, CoversEveryRecordByteOnceBesideTheReservedGaps) {
    ASSERT_EQ(sizeof(EffectSettings), 748u);
    EffectSettings s{};
    s.comp_threshold_db = 0x01020304, s.echo_delay_s = 1.0f;  // 0x3F800000, little-endian
    const auto* b = reinterpret_cast<const unsigned char*>(&s);
    EXPECT_EQ(std::tuple(b[336], b[339], b[212], b[215]), std::tuple(0x04, 0x01, 0x00, 0x3F));

    std::array<int, 748> owners{};
    for (const ParamRow& r : param_rows())
        for (size_t i = r.offset; i < r.offset + field_size(r.type); ++i) ++owners[i];
    // The three bytes after each enabled flag that a 4-byte field follows, and after the
    // preset's built-in flag (which vemomix_get overwrites with the level of slot 31).
    for (const size_t gap : {1, 197, 201, 209, 221, 237, 261, 285, 309, 333, 353, 385, 401, 425, 449, 469, 481})
        for (size_t i = gap; i < gap + 3; ++i) owners[i] += 100;
    for (size_t i = 0; i < owners.size(); ++i) ASSERT_TRUE(owners[i] == 1 || owners[i] == 100) << "byte " << i;

    // Each effect's rows start with its switch, and their names carry its prefix.
    for (int t = 1; t <= kEffectCount; ++t) {
        const auto rows = effect_rows(t);
        ASSERT_FALSE(rows.empty()) << t;
        EXPECT_EQ(rows[0].role, FieldRole::kEnable) << t;
        for (const ParamRow& r : rows) EXPECT_TRUE(r.field.starts_with(kEffects[t].prefix)) << r.field;
    }
    EXPECT_EQ(std::tuple(find_param("reverb_wet_db")->offset, find_param("no_such_field")), std::tuple(380u, nullptr));
}

TEST(ParamTable, DefaultsAreWhatTheLibraryReportsAfterInit) {
    for (const auto& [rate, channels] : {std::pair{44100, 2}, std::pair{22050, 1}, std::pair{48000, 2}}) {
        start_library(rate, channels);
        EffectSettings s{};
        vemomix_get(&s);
        for (const ParamRow& r : param_rows()) {
            if (r.type != FieldType::kU8 && r.type != FieldType::kI32 && r.type != FieldType::kF32) continue;
            if (r.role == FieldRole::kIgnored) continue;
            EXPECT_EQ(param_read(s, r), param_default(r, rate, channels)) << r.field << " at " << rate << "/" << channels;
            // What the editor starts at lies inside what it offers, or the page would move it.
            if (r.role == FieldRole::kParam) {
                EXPECT_TRUE(param_in_range(r, param_default(r, rate, channels), rate, channels)) << r.field;
            }
        }
        EXPECT_EQ(s.eq_band_level[0], 0);
    }
    vemomix_close();
}

TEST(ParamTable, SliderLawsGiveTheEditorsValues) {
    auto at = [](const char* f, int p, int r = 44100, int c = 2) { return param_value_at(*find_param(f), p, r, c); };
    // Gate times in ms become samples of all channels; levels are ten per step.
    EXPECT_EQ(std::tuple(at("denoise_hold", 2), at("denoise_release", 500, 22050, 1), at("denoise_open_level", 50)),
              std::tuple(176.0, 11025.0, 500.0));
    // Chorus: depth = p / 2, percentages in 1/256, rate from fs * 360 / (p * ch * 1000).
    EXPECT_EQ(std::tuple(at("chorus_depth", 99), at("chorus_wet", 100), at("chorus_feedback", 80), at("chorus_rate", 1587)),
              std::tuple(49.0, 256.0, 204.0, 5.0));
    EXPECT_EQ(std::tuple(at("echo_delay_s", 6), at("pitch_octaves", -7), at("reverb_wet_db", -80), at("pitch_frame_size", 11)),
              std::tuple(double(0.6f), double(-0.7f), -80.0, 2048.0));

    // Slider ranges as the pages label them; the reverb's levels grow louder to the right.
    for (auto [field, lo, hi] : {std::tuple{"vibrato_depth", 1, 100}, {"vibrato_period", 1, 100},
                                 {"phaser_high_hz", 801, 4000}, {"reverb_wet_db", -80, 0}, {"reverb_feedback_db", -100, 0}}) {
        EXPECT_EQ(std::pair(find_param(field)->pos_min, find_param(field)->pos_max), std::pair(lo, hi)) << field;
    }

    const ParamRow &frame = *find_param("pitch_frame_size"), &bands = *find_param("eq_band_count");
    EXPECT_EQ(std::tuple(param_in_range(frame, 2048, 44100, 2), param_in_range(frame, 3000, 44100, 2),
                         param_in_range(bands, 25, 44100, 2), param_in_range(bands, 20, 44100, 2)),
              std::tuple(true, false, true, false));
    double lo, hi;
    param_value_range(*find_param("chorus_rate"), 48000, 1, lo, hi);
    EXPECT_EQ(std::tuple(lo, hi), std::tuple(4.0, 17280.0));
    // A value off the slider's end shows the slider at that end.
    EXPECT_EQ(std::tuple(param_position_of(*find_param("reverb_feedback_db"), -300, 44100, 2),
                         param_position_of(*find_param("denoise_hold"), 1e9, 44100, 2),
                         param_position_of(*find_param("bass_gain_db"), NAN, 44100, 2)),
              std::tuple(-100, 200, 0));
}

// A logarithmic track: its ends are the range's, every decade of positions takes the same share
// of it, every number of two significant digits in the range (the default among them) has a step,
// and the positions only grow.
TEST(ParamTable, LogarithmicTracksGiveEveryDecadeItsShare) {
    int log_rows = 0;
    for (const ParamRow& r : param_rows()) {
        if (r.scale != SliderScale::kLog) continue;
        ++log_rows;
        const int steps = param_track_steps(r);
        ASSERT_EQ(std::pair(param_pos_at_track(r, 0), param_pos_at_track(r, steps)), std::pair(r.pos_min, r.pos_max)) << r.field;
        std::vector<int> first_at;  // the step where each decade 1, 10, 100, ... starts
        for (int t = 1, last = r.pos_min; t <= steps; ++t) {
            const int p = param_pos_at_track(r, t);
            ASSERT_GE(p, last) << r.field << " step " << t;
            for (int d = static_cast<int>(first_at.size()), ten = static_cast<int>(std::pow(10, d)); p >= ten; ten *= 10, ++d)
                first_at.push_back(t);
            last = p;
        }
        for (size_t d = 2; d < first_at.size(); ++d)
            if (std::pow(10, d - 1) >= r.pos_min) {
                EXPECT_NEAR(first_at[d] - first_at[d - 1], 240, 6) << r.field << " decade " << d;
            }
        for (int p = std::max(r.pos_min, 1); p <= r.pos_max; p += p < 100 ? 1 : (p < 1000 ? 10 : (p < 10000 ? 100 : 1000))) {
            EXPECT_EQ(param_pos_at_track(r, param_track_of(r, p)), p) << r.field;
        }
        for (const auto& [rate, ch] : {std::pair{44100, 2}, std::pair{11025, 1}, std::pair{48000, 2}}) {
            const double def = param_default(r, rate, ch);
            EXPECT_EQ(param_value_at(r, param_pos_at_track(r, param_track_of_value(r, def, rate, ch)), rate, ch), def) << r.field;
        }
    }
    EXPECT_GE(log_rows, 8);
    // The overdrive's default 520 ohms sits 1.7 decades into the 4 from 10 to 100000.
    const ParamRow& drive = *find_param("odrive_drive_ohms");
    EXPECT_NEAR(param_track_of(drive, 520) / double(param_track_steps(drive)), std::log10(52.0) / 4, 0.005);
}

}  // namespace
}  // namespace vemo::test
