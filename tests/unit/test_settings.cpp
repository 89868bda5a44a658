// vemomix_get / vemomix_set: the record against the engine and the editor.
#include "../torture/torture.h"
#include "test_support.h"

namespace vemo::test {
namespace {

class Settings : public Session {
protected:
    // vemomix_get into a record filled with `fill`, so bytes it does not write show.
    static EffectSettings get_over(uint8_t fill) {
        EffectSettings s;
        std::memset(&s, fill, sizeof s);
        vemomix_get(&s);
        return s;
    }
};

// (Each field's default is checked against the parameter table.)
TEST_F(Settings, DefaultChainAndTheBytesGetLeavesAlone) {
    const EffectSettings s = get_over(0xEE);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(s.chain_order[i], i + 1);
    // Neither chain bytes beyond the rows nor reserved bytes are written.
    EXPECT_EQ(std::tuple(s.chain_order[16], s.reserved_1[0], s.reserved_333[2]), std::tuple(0xEE, 0xEE, 0xEE));
    EXPECT_EQ(std::vector<int32_t>(s.eq_band_level, s.eq_band_level + 31), std::vector<int32_t>(31, 0));
}

TEST_F(Settings, RoundTripReproducesFlagsParametersAndChain) {
    EffectSettings s = current();
    torture::set_chain(s, {12, 7, 15});
    s.eq_enabled = s.reverb_enabled = s.echo_enabled = s.invert_enabled = 1;
    s.comp_threshold_db = -33, s.dist_tone_hz = 2500, s.drift_speed = 9, s.chorus_wet = 77, s.wah_offset = 44;
    s.bass_gain_db = 6, s.vibrato_period = 30, s.eq_band_count = 15, s.eq_band_level[0] = 8, s.eq_band_level[14] = -12;
    s.eq_extra_filter = 1, s.eq_preamp_pos = 20;
    vemomix_set(s);

    // Every byte comes back as given but the phaser feedback, which the phaser keeps as a
    // float and reports truncated (checked where the phaser is tested).
    const EffectSettings back = current();
    EffectSettings as_given = back;
    as_given.phaser_feedback = s.phaser_feedback;
    EXPECT_EQ(std::memcmp(&as_given, &s, sizeof s), 0);
    // The editor's switches follow the flags, the equaliser's too.
    std::vector<int> ticked;
    for (int t = 1; t <= kEffectCount; ++t)
        if (editor().chain.switches[t].checked) ticked.push_back(t);
    EXPECT_EQ(ticked, (std::vector<int>{kGraphicEq, kEcho, kReverb, kPhaseInvert}));
    // A second round trip is a fixed point on every byte the record defines.
    vemomix_set(back);
    const EffectSettings again = current();
    EXPECT_EQ(std::memcmp(&again, &back, sizeof back), 0);
}

// Levels become slider positions 25 - 1.25 * level, truncated toward zero, and positions come
// back as levels 20 - 0.8 * position, truncated as well.
TEST_F(Settings, BandSliderLawsTruncateTowardZero) {
    // Level, slider position, level back (-0.8 and -1.6 in the first two).
    const std::array<int, 3> rows[] = {{-1, 26, 0}, {-2, 27, -1}, {20, 0, 20}, {-20, 50, -20}, {3, 21, 3}};
    EffectSettings s = current();
    for (int b = 0; b < 5; ++b) s.eq_band_level[b] = rows[b][0];
    vemomix_set(s);
    const EffectSettings back = current();
    for (int b = 0; b < 5; ++b)
        EXPECT_EQ((std::array{rows[b][0], editor().eq.slider_pos[b], back.eq_band_level[b]}), rows[b]) << b;
}

// The editor's 32nd slider slot, one past the last band, is written as level 31: over the built-in
// word, its little-endian 20 filling bytes 196..199; the built-in flag, written last, puts 0 at 196.
TEST_F(Settings, SliderSlot31LandsOnTheBuiltinWord) {
    editor().eq.slider_pos[31] = 0;  // +20 dB
    const EffectSettings s = get_over(0xAB);
    EXPECT_EQ(std::tuple(s.eq_preset_builtin, s.reserved_197[0], s.reserved_197[2]), std::tuple(0, 0, 0));
}

TEST_F(Settings, SixteenBitFieldsWaveformAndTruncatedPhaserFloats) {
    EffectSettings s = current();
    s.am_level_db = -10, s.am_waveform = 7, s.reverb_tap_count = 65536 + 30;
    s.am_depth_pct = 0x00018005;  // low 16 bits 0x8005 = -32763
    s.am_period_ms = 70000;       // low 16 bits 4464
    s.phaser_low_hz = 450.9f, s.phaser_high_hz = 1999.5f, s.phaser_rate = -3.7f;
    vemomix_set(s);
    const EffectSettings b = current();
    EXPECT_EQ(std::tuple(b.am_level_db, b.am_level_db_copy, b.am_waveform, b.am_depth_pct, b.am_period_ms,
                         b.reverb_tap_count),
              std::tuple(-10, -10, 1, -32763, 4464, 30));
    const auto& p = engine().phaser.params;
    EXPECT_EQ(std::tuple(p.phaser_low_hz, p.phaser_high_hz, p.phaser_rate), std::tuple(450, 1999, -3));
}

TEST_F(Settings, ChainOrderBytesMakeRows) {
    EffectSettings s = current();
    torture::set_chain(s, {3, 0, 1});  // a 0 between rows is skipped
    vemomix_set(s);
    ASSERT_EQ(chain_types(), (std::vector<int>{3, 1}));  // one type per row: two rows
    EXPECT_EQ(std::tuple(editor().chain.rows[0].cells[1].text, editor().chain.rows[1].cells[1].text,
                         editor().chain.rows[1].cells[2].text),
              std::tuple("音调变化器", "图形均衡器", "无效"));
    const std::vector<int> published = published_chain();
    EXPECT_EQ(std::vector<int>(published.begin(), published.begin() + 3), (std::vector<int>{3, 1, 0}));

    // Bytes above 16 are skipped; duplicates give two rows; all 255 bytes are read.
    torture::set_chain(s, {17, 15, 255, 15});
    s.chain_order[254] = 2, s.invert_enabled = 1;
    vemomix_set(s);
    EXPECT_EQ(chain_types(), (std::vector<int>{15, 15, 2}));
    EXPECT_EQ(std::tuple(editor().chain.rows[0].cells[2].text, editor().chain.rows[0].image), std::tuple("有效", 0));
}

TEST_F(Settings, FarOutEqualiserValuesStayInsideTheirControls) {
    EffectSettings s = current();
    s.eq_band_count = 1000000, s.eq_preamp_pos = -2147483647 - 1;
    for (int b = 0; b < 31; ++b) s.eq_band_level[b] = (b % 2) ? 2147483647 : -2147483647 - 1;
    vemomix_set(s);
    const EffectSettings b = current();
    EXPECT_EQ(std::tuple(editor().eq.preamp_pos, editor().eq.slider_pos[0], editor().eq.slider_pos[1], b.eq_band_count,
                         b.eq_band_level[0], b.eq_band_level[1], engine().eq.eq_bands_in_use),
              std::tuple(0, 50, 0, 1000000, -20, 20, 10));
}

}  // namespace
}  // namespace vemo::test
