// The parameter page model ("效果参数"): every slider of every effect to both ends and the middle,
// the default button of each effect, what a change rebuilds, the page copies, values a record
// brings from outside the ranges, and the texts.
#include <cmath>
#include <memory>
#include <string>

#include "effects/random.h"
#include "engine/lifecycle.h"
#include "settings/param_table.h"
#include "test_support.h"

namespace vemo::test {
namespace {

class ParamPageTest : public Session {
protected:
    static double reported(std::string_view field) { return param_read(current(), *find_param(field)); }
    static int slider_of(std::string_view field) {
        const auto& sliders = editor().param.sliders;
        for (size_t i = 0; i < sliders.size(); ++i)
            if (sliders[i].row->field == field) return static_cast<int>(i);
        ADD_FAILURE() << "no slider for " << field;
        return -1;
    }
    // Chooses the field's effect and moves its slider.
    static void move(std::string_view field, int pos) {
        editor().param.choose_effect(find_param(field)->effect);
        editor().param.on_slider(slider_of(field), pos);
    }
};

// Every slider of every effect to both ends and the middle, then left off its default for the
// default button to restore.
TEST_F(ParamPageTest, EverySliderReachesTheRecordAndTheDefaultButtonRestoresIt) {
    Editor& ed = editor();
    for (int t = 2; t <= kEffectCount; ++t) {
        ed.param.choose_effect(t);
        const auto rows = param_page_rows(t);
        ASSERT_EQ(ed.param.sliders.size(), rows.size()) << t;
        for (size_t i = 0; i < rows.size(); ++i) {
            const ParamRow& row = *rows[i];
            const ParamSlider& s = ed.param.sliders[i];
            EXPECT_EQ(s.row, &row);
            for (const int pos : {(row.pos_min + row.pos_max) / 2, row.pos_min, row.pos_max}) {
                ed.param.on_slider(static_cast<int>(i), pos);
                const double want = param_value_at(row, pos, 44100, 2);
                // The phaser keeps feedback and mix in single precision and reports truncations.
                double report = want;
                if (row.field == "phaser_feedback") report = std::trunc(static_cast<float>(want * 0.01) * 100.0);
                if (row.field == "phaser_mix") report = std::trunc(static_cast<float>(want * 0.1) * 10.0);
                EXPECT_EQ(std::tuple(s.pos, s.value, s.in_range, reported(row.field)),
                          std::tuple(pos, want, true, report))
                    << row.field << " at " << pos;
            }
            if (s.value == param_default(row, 44100, 2)) ed.param.on_slider(static_cast<int>(i), row.pos_min);
        }
        ed.param.on_defaults();
        for (const ParamRow* row : rows) EXPECT_EQ(reported(row->field), param_default(*row, 44100, 2)) << row->field;
    }
    // The phaser's default feedback is 0.7 (reported as 69); the page copies follow.
    EXPECT_EQ(std::tuple(engine().phaser.channel[1].fb, ed.param.wah_copy.wah_depth, ed.param.vibrato_copy.vibrato_period),
              std::tuple(0.7f, 70, 20));
    // Past the ends the slider stops there; phase inversion has nothing but its switch.
    move("echo_delay_s", 99);
    EXPECT_EQ(std::tuple(ed.param.sliders[0].pos, static_cast<float>(reported("echo_delay_s"))), std::tuple(16, 1.6f));
    ed.param.choose_effect(kPhaseInvert);
    EXPECT_TRUE(ed.param.sliders.empty());
}

// The reverb's taps are those a reverb of its parameters draws from `seed`, channel one first.
void expect_taps_drawn_from(uint32_t seed, int count) {
    auto ref = std::make_unique<Reverb>();
    ref->params = engine().reverb.params;
    ref->rng.generator().state = seed;
    reverb_redraw_taps(*ref, 44100);
    for (int c = 0; c < 2; ++c) {
        const ReverbChannel& ch = engine().reverb.channel[c];
        ASSERT_EQ(ch.tap_count, count);
        for (int j = 0; j < count; ++j)
            EXPECT_EQ(std::tuple(ch.taps[j].delay, ch.taps[j].weight),
                      std::tuple(ref->channel[c].taps[j].delay, ref->channel[c].taps[j].weight))
                << c << " tap " << j;
    }
}

// A change configures its effect again (the vibrato's table made beforehand, the echo's tap).  Chorus and reverb keep their histories: a reverb level sets its gain, a distance
// redraws the taps, and the default button does both, the chorus's lines staying as they were.
TEST_F(ParamPageTest, ChangesAndDefaultsRebuildWhatTheirEffectDerivesAndKeepTheHistories) {
    Editor& ed = editor();
    move("vibrato_depth", 60);
    move("vibrato_period", 50);
    const Vibrato& v = engine().vibrato;
    EXPECT_EQ(std::tuple(ed.param.vibrato_copy.vibrato_depth, v.depth, v.period), std::tuple(60, 60, 44100));
    EXPECT_NEAR(v.table[44100 / 4], 60, 1e-3);  // a quarter period in: the new depth
    move("echo_delay_s", 3);  // the echo's tap moves to 0.3 s of interleaved samples
    EXPECT_EQ(engine().echo.d1, 2 * 13230);

    move("chorus_wet", 10);
    move("reverb_decay_m", 500);
    for (const int t : {kChorus, kReverb}) ed.chain.on_switch_clicked(t, true);
    std::vector<int16_t> pcm;
    for (uint32_t seed = 1; seed <= 3; ++seed) change(pcm = noise(2 * 4096, seed, 2048));
    const std::vector<float> chorus_line = engine().chorus.line[0].buf;
    ASSERT_NE(std::count(chorus_line.begin(), chorus_line.end(), 0.0f), static_cast<long>(chorus_line.size()));
    Reverb& r = engine().reverb;
    const uint16_t feedback_delay = r.channel[0].feedback_delay;
    const std::vector<float> line = r.channel[0].line;
    const auto taps = r.channel[1].taps;
    move("reverb_wet_db", -40);
    EXPECT_EQ(std::memcmp(r.channel[1].taps.data(), taps.data(), sizeof taps), 0) << "a level redrew the taps";
    engine().rng.state = 99;
    move("reverb_tap_count", 40);
    expect_taps_drawn_from(99, 40);
    // The level's gain, which the distance left.
    EXPECT_EQ(r.channel[1].wet_gain, static_cast<float>(std::pow(10.0, -40 * static_cast<double>(0.05f))));

    ed.param.choose_effect(kChorus);
    ed.param.on_defaults();
    EXPECT_EQ(std::tuple(engine().chorus.line[0].buf, engine().chorus.params.chorus_wet), std::tuple(chorus_line, 250));
    ed.param.choose_effect(kReverb);
    engine().rng.state = 4242;
    ed.param.on_defaults();
    expect_taps_drawn_from(4242, 20);
    const float gain = static_cast<float>(std::pow(10.0, -0.5));
    for (const auto& ch : r.channel) EXPECT_EQ(std::tuple(ch.wet_gain, ch.feedback_gain), std::tuple(gain, gain));
    EXPECT_EQ(std::tuple(r.channel[0].feedback_delay, r.channel[0].line == line), std::tuple(feedback_delay, true));
}

// A record moves the page; values from outside the ranges show at the end and stay untouched.
TEST_F(ParamPageTest, RecordsMoveThePageAndInitResetsIt) {
    Editor& ed = editor();
    const auto slider = [&](int type, std::string_view field) {
        ed.param.choose_effect(type);
        const ParamSlider& s = ed.param.sliders[slider_of(field)];
        return std::tuple(s.pos, s.in_range, s.text, ed.param.effect_on);
    };
    set_record([](EffectSettings& s) { s.wah_rate = 12, s.wah_enabled = 1; });
    EXPECT_EQ(slider(kWah, "wah_rate"), std::tuple(12, true, "1.2 Hz", true));
    vemomix_init(44100, 2, 0);
    EXPECT_EQ(slider(kWah, "wah_rate"), std::tuple(25, true, "2.5 Hz", false));

    set_record([](EffectSettings& s) {
        s.echo_delay_s = 5.0f, s.reverb_tap_count = 150, s.drift_speed = -3, s.denoise_release = 10;
    });
    const EffectSettings before = current();
    EXPECT_EQ(slider(kEcho, "echo_delay_s"), std::tuple(16, false, "5.0 秒", false));
    EXPECT_TRUE(ed.param.sliders[1].in_range);
    EXPECT_EQ(slider(kReverb, "reverb_tap_count"), std::tuple(100, false, "150", false));
    EXPECT_EQ(slider(kDrift, "drift_speed"), std::tuple(1, false, "-0.735 Hz", false));
    // 10 samples are not a whole millisecond at 88200 samples per second: shown to a tenth.
    EXPECT_EQ(std::get<2>(slider(kDenoise, "denoise_release")), "0.1 毫秒");
    const EffectSettings after = current();
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
}

// Percent, dB, multiples, milliseconds and Hz instead of fractions; a unit wherever there is one.
TEST_F(ParamPageTest, TextsInTheirUnits) {
    // clang-format off
    const std::tuple<const char*, double, const char*> cases[] = {
        {"denoise_hold", 176, "2 毫秒"},       {"chorus_rate", 5, "1.23 Hz"},     {"chorus_wet", 250, "97.7 %"},
        {"reverb_wet_db", -10, "-10 dB"},      {"phaser_rate", 50, "0.50 Hz"},    {"vibrato_period", 20, "0.20 秒"},
        {"dist_level", 20, "-22.1 dB"},        {"am_waveform", 1, "三角"},        {"pitch_frame_size", 2048, "2048 采样"},
        {"odrive_drive_ohms", 520, "520 欧"},  {"reverb_room_m", 20, "20 米"},   {"pitch_octaves", -0.3f, "-0.3 倍频程"},
        {"dist_drive", 555, "34.7 倍"},        {"dist_max_step", 10000, "30.5 %"}, {"denoise_open_level", 0, "-∞ dB"},
        {"denoise_open_level", 500, "-36.3 dB"}, {"chorus_depth", 50, "72.6 毫秒"}, {"drift_depth", 50, "4.54 毫秒"},
        {"echo_feedback", 0.5f, "50 %"},       {"phaser_mix", 10, "100 %"},       {"odrive_lowpass_on", 1, "开"},
        {"wah_offset", 30, "30 未使用"},       {"pitch_oversampling", 4, "4 倍"}, {"drift_wet", 256, "100 %"},
    };
    // clang-format on
    for (const auto& [f, value, text] : cases) EXPECT_EQ(param_text(*find_param(f), value, 44100, 2), text) << f;
    // The text is the value at the thumb: every millisecond of the gate's times reads as itself.
    for (const auto& [rate, ch] : {std::pair{44100, 2}, std::pair{11025, 1}, std::pair{48000, 2}})
        for (int ms = 0; ms <= 4000; ms += 7) {
            const ParamRow& attack = *find_param("denoise_attack");
            ASSERT_EQ(param_text(attack, param_value_at(attack, ms, rate, ch), rate, ch), std::to_string(ms) + " 毫秒") << rate;
        }
}

// On/off values are check boxes, and a box writes 0 or 1; an effect without parameters says so
// and its "缺省" does nothing.
TEST_F(ParamPageTest, ControlsFitTheirValues) {
    Editor& ed = editor();
    ed.param.choose_effect(kOverdrive);
    const ParamSlider& box = ed.param.sliders[slider_of("odrive_lowpass_on")];
    EXPECT_EQ(std::tuple(box.check_box, ed.param.sliders[0].check_box), std::tuple(true, false));
    ed.param.on_track(slider_of("odrive_lowpass_on"), 1);
    EXPECT_EQ(std::tuple(reported("odrive_lowpass_on"), box.text), std::tuple(1.0, "开"));
    // A thumb let go on a logarithmic track: the step's position, and the thumb stays there.
    const ParamRow& drive = *find_param("odrive_drive_ohms");
    ed.param.on_track(0, param_track_of(drive, 2200));
    EXPECT_EQ(std::tuple(reported("odrive_drive_ohms"), ed.param.sliders[0].track), std::tuple(2200.0, param_track_of(drive, 2200)));

    ed.param.choose_effect(kPhaseInvert);
    EXPECT_EQ(std::tuple(ed.param.sliders.size(), ed.param.note, ed.param.defaults_enabled),
              std::tuple(0u, std::string("此音效没有可调参数"), false));
}

TEST_F(ParamPageTest, ChooserSwitchAndTabs) {
    Editor& ed = editor();
    ed.param.choose_effect(kEcho);
    ed.param.choose_effect(kGraphicEq);  // leads to the equaliser's tab
    EXPECT_EQ(std::tuple(ed.current_tab, ed.param.effect), std::tuple(1, kEcho));
    ed.select_tab(2);
    ed.on_editor_command(1333999, 3);  // asks for tab 5
    EXPECT_EQ(ed.current_tab, 2);

    ed.param.on_switch(true);
    EXPECT_EQ(std::tuple(engine().enabled[kEcho].load(), ed.chain.switches[kEcho].checked,
                         ed.chain.rows[kEcho - 1].cells[2].text),
              std::tuple(1, true, "有效"));
    ed.chain.on_switch_clicked(kEcho, false);
    EXPECT_EQ(std::tuple(engine().enabled[kEcho].load(), ed.param.effect_on), std::tuple(0, false));
    vemomix_setecho(1);
    EXPECT_TRUE(ed.param.effect_on);
}

}  // namespace
}  // namespace vemo::test
