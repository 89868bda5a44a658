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
    static double reported(std::string_view field) {
        const EffectSettings s = current();
        return param_read(s, *find_param(field));
    }
    static int slider_of(std::string_view field) {
        const auto& sliders = editor().param.sliders;
        for (size_t i = 0; i < sliders.size(); ++i)
            if (sliders[i].row->field == field) return static_cast<int>(i);
        ADD_FAILURE() << "no slider for " << field;
        return -1;
    }
    // Chooses the field's effect and moves its slider.
    static void move(std::string_view field, int pos) {
        Editor& ed = editor();
        ed.param_choose_effect(find_param(field)->effect);
        ed.param_on_slider(slider_of(field), pos);
    }
};

// What vemomix_get reports for a value the page set: the phaser's rate, feedback and mix come
// back as truncations of the single-precision values it keeps.
double reported_for(const ParamRow& row, double v) {
    if (row.field == "phaser_rate" || row.field == "phaser_feedback")
        return std::trunc(static_cast<float>(v * 0.01) * 100.0);
    if (row.field == "phaser_mix") return std::trunc(static_cast<float>(v * 0.1) * 10.0);
    return v;
}

TEST_F(ParamPageTest, EverySliderAtBothEndsAndTheMiddleReachesTheRecord) {
    Editor& ed = editor();
    for (int t = 2; t <= kEffectCount; ++t) {
        ed.param_choose_effect(t);
        ASSERT_EQ(ed.param.effect, t);
        const auto rows = param_page_rows(t);
        ASSERT_EQ(ed.param.sliders.size(), rows.size()) << t;
        for (size_t i = 0; i < rows.size(); ++i) {
            const ParamRow& row = *rows[i];
            EXPECT_EQ(ed.param.sliders[i].row, &row);
            for (const int pos : {row.pos_min, row.pos_max, (row.pos_min + row.pos_max) / 2}) {
                ed.param_on_slider(static_cast<int>(i), pos);
                const double want = param_value_at(row, pos, 44100, 2);
                const ParamSlider& s = ed.param.sliders[i];
                EXPECT_EQ(s.pos, pos) << row.field;
                EXPECT_EQ(s.value, want) << row.field << " at " << pos;
                EXPECT_TRUE(s.in_range) << row.field;
                EXPECT_EQ(reported(row.field), reported_for(row, want)) << row.field << " at " << pos;
            }
        }
    }
    // Past the ends the slider stops there.
    move("echo_delay_s", 99);
    EXPECT_EQ(ed.param.sliders[0].pos, 16);
    EXPECT_FLOAT_EQ(static_cast<float>(reported("echo_delay_s")), 1.6f);
    // Phase inversion has nothing but its switch.
    ed.param_choose_effect(kPhaseInvert);
    EXPECT_TRUE(ed.param.sliders.empty());
}

TEST_F(ParamPageTest, DefaultButtonRestoresEachEffectsDefaults) {
    Editor& ed = editor();
    for (int t = 2; t <= kEffectCount; ++t) {
        ed.param_choose_effect(t);
        const auto rows = param_page_rows(t);
        bool moved = false;
        for (size_t i = 0; i < rows.size(); ++i) {
            const ParamRow& row = *rows[i];
            const double def = param_default(row, 44100, 2);
            ed.param_on_slider(static_cast<int>(i), row.pos_max);
            if (ed.param.sliders[i].value == def) ed.param_on_slider(static_cast<int>(i), row.pos_min);
            moved = moved || ed.param.sliders[i].value != def;
        }
        EXPECT_TRUE(moved || rows.empty()) << t;
        ed.param_on_defaults();
        for (const ParamRow* row : rows)
            EXPECT_EQ(reported(row->field), param_default(*row, 44100, 2)) << row->field;
    }
    // The phaser's default feedback is 0.7 (reported as 69) and its mix 1.0.
    for (const PhaserChannel& ch : engine().phaser.channel) {
        EXPECT_EQ(ch.fb, 0.7f);
        EXPECT_EQ(ch.mix, 1.0f);
    }
    EXPECT_EQ(engine().phaser.params.phaser_feedback, 70);
    // The page copies follow.
    EXPECT_EQ(ed.wah_page.wah_depth, 70);
    EXPECT_EQ(ed.bass_page.bass_gain_db, 12);
    EXPECT_EQ(ed.vibrato_page.vibrato_period, 20);
}

// Noise through every effect for a few buffers, so that the histories hold something.
void run_noise(int buffers) {
    std::vector<int16_t> pcm(2 * 4096);
    uint32_t x = 12345;
    for (int b = 0; b < buffers; ++b) {
        for (int16_t& v : pcm) v = static_cast<int16_t>(((x = x * 1664525u + 1013904223u) >> 20) - 2048);
        vemomix_change(pcm.data(), static_cast<int32_t>(pcm.size() * 2));
    }
}

TEST_F(ParamPageTest, ChorusDefaultsKeepTheLines) {
    Editor& ed = editor();
    ed.param_choose_effect(kChorus);
    ed.param_on_switch(true);
    move("chorus_wet", 10);
    run_noise(3);
    const std::vector<float> before = engine().chorus.line[0].buf;
    ASSERT_NE(std::count(before.begin(), before.end(), 0.0f), static_cast<long>(before.size()));
    ed.param_on_defaults();
    EXPECT_EQ(engine().chorus.line[0].buf, before);
    EXPECT_EQ(engine().chorus.params.chorus_wet, 250);
}

TEST_F(ParamPageTest, ReverbDefaultsSetGainsAndRedrawTapsChannelOneFirst) {
    Editor& ed = editor();
    move("reverb_wet_db", 40);
    move("reverb_decay_m", 500);
    ed.param_on_switch(true);
    run_noise(2);
    Reverb& r = engine().reverb;
    const uint16_t feedback_delay = r.channel[0].feedback_delay;
    const std::vector<float> line = r.channel[0].line;

    vemo_srand(4242);
    ed.param_on_defaults();
    auto ref = std::make_unique<Reverb>();
    vemo_srand(4242);
    reverb_redraw_taps(*ref, 44100);
    const float gain = static_cast<float>(std::pow(10.0, -0.5));
    for (int c = 0; c < 2; ++c) {
        const ReverbChannel& ch = r.channel[c];
        EXPECT_EQ(ch.wet_gain, gain);
        EXPECT_EQ(ch.feedback_gain, gain);
        EXPECT_EQ(ch.tap_count, 20);
        for (int j = 0; j < 20; ++j) {
            EXPECT_EQ(ch.taps[j].delay, ref->channel[c].taps[j].delay) << c << " tap " << j;
            EXPECT_EQ(ch.taps[j].weight, ref->channel[c].taps[j].weight) << c << " tap " << j;
        }
    }
    // Only taps and gains: the feedback delay and the line's history stay.
    EXPECT_EQ(r.channel[0].feedback_delay, feedback_delay);
    EXPECT_TRUE(r.channel[0].line == line);
}

TEST_F(ParamPageTest, ReverbLevelsSetGainsOnlyAndDistancesRedrawTaps) {
    Reverb& r = engine().reverb;
    const auto taps = r.channel[1].taps;
    move("reverb_feedback_db", 20);
    EXPECT_EQ(r.channel[1].feedback_gain, static_cast<float>(std::pow(10.0, -20 * static_cast<double>(0.05f))));
    EXPECT_EQ(r.channel[1].wet_gain, static_cast<float>(std::pow(10.0, -10 * static_cast<double>(0.05f))));
    EXPECT_EQ(std::memcmp(r.channel[1].taps.data(), taps.data(), sizeof taps), 0) << "a level redrew the taps";

    const float wet = r.channel[0].wet_gain;
    vemo_srand(99);
    move("reverb_tap_count", 40);
    auto ref = std::make_unique<Reverb>();
    ref->params = r.params;
    vemo_srand(99);
    reverb_redraw_taps(*ref, 44100);
    EXPECT_EQ(r.channel[0].tap_count, 40);
    for (int j = 0; j < 40; ++j) EXPECT_EQ(r.channel[0].taps[j].delay, ref->channel[0].taps[j].delay) << j;
    EXPECT_EQ(r.channel[0].wet_gain, wet);
}

TEST_F(ParamPageTest, EachChangeRebuildsWhatItsEffectDerives) {
    EngineState& e = engine();
    Editor& ed = editor();

    move("echo_delay_s", 10);
    EXPECT_EQ(e.echo.d1, 88200);
    EXPECT_EQ(e.echo.d2, 176400);

    move("bass_freq_hz", 1000);
    move("bass_gain_db", 30);
    auto bass = std::make_unique<SuperBass>();
    bass->params = {1000, 30};
    bass_configure(*bass, 44100, 2);
    EXPECT_EQ(e.bass.params.bass_freq_hz, 1000);
    EXPECT_EQ(ed.bass_page.bass_freq_hz, 1000);
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(e.bass.channel[c].b0, bass->channel[c].b0);
        EXPECT_EQ(e.bass.channel[c].a1, bass->channel[c].a1);
    }

    move("wah_rate", 8);
    EXPECT_EQ(ed.wah_page.wah_rate, 8);
    EXPECT_EQ(e.wah.channel[0].p0, 0.0f);
    EXPECT_EQ(e.wah.channel[1].p0, 3.14159274f);
    EXPECT_EQ(e.wah.channel[0].w, static_cast<float>((8 * 0.1 * 2) * 3.1415927 / 44100));

    move("vibrato_depth", 60);
    move("vibrato_period", 50);
    EXPECT_EQ(ed.vibrato_page.vibrato_depth, 60);
    EXPECT_EQ(e.vibrato.depth, 60);
    EXPECT_EQ(e.vibrato.period, static_cast<int32_t>(50 * 2 * 44100 * 0.01));
    EXPECT_EQ(e.vibrato.table[44100 / 4], std::sin(44100 / 4 / 44100.0 * 6.2831854) * 60);

    move("phaser_feedback", 35);
    EXPECT_EQ(e.phaser.channel[1].fb, static_cast<float>(35 * 0.01));
    EXPECT_EQ(e.phaser.channel[1].low_copy, 440);

    move("comp_threshold_db", -40);
    auto comp = std::make_unique<Compressor>();
    comp->params = e.comp.params;
    compressor_configure(*comp, 44100, 2);
    EXPECT_EQ(e.comp.comp_threshold, comp->comp_threshold);

    move("denoise_hold", 100);
    EXPECT_EQ(e.denoise.params.denoise_hold, 8820);
}

// An impulse, then silence: the frame at which the echo comes back.
int echo_arrival() {
    std::vector<int16_t> pcm(2 * 4096);
    pcm[0] = pcm[1] = 20000;
    for (int b = 0; b < 20; ++b) {
        vemomix_change(pcm.data(), static_cast<int32_t>(pcm.size() * 2));
        for (int f = b == 0 ? 1 : 0; f < 4096; ++f)
            if (pcm[2 * f] != 0) return b * 4096 + f;
        std::fill(pcm.begin(), pcm.end(), 0);
    }
    return -1;
}

TEST_F(ParamPageTest, TheNextBufferHearsTheChange) {
    Editor& ed = editor();
    ed.param_choose_effect(kEcho);
    ed.param_on_switch(true);
    EXPECT_EQ(engine().enabled[kEcho].load(), 1);
    EXPECT_EQ(echo_arrival(), 26460);  // 0.6 s
    vemomix_datarefresh();
    ed.param_on_slider(slider_of("echo_delay_s"), 3);
    EXPECT_EQ(echo_arrival(), 13230);  // 0.3 s
}

TEST_F(ParamPageTest, OutOfRangeRecordValuesShowAtTheEndAndStayUntouched) {
    EffectSettings s = current();
    s.echo_delay_s = 5.0f;
    s.reverb_tap_count = 150;
    s.drift_speed = -3;
    s.denoise_release = 10;
    vemomix_set(s);
    const EffectSettings before = current();

    Editor& ed = editor();
    ed.param_choose_effect(kEcho);
    EXPECT_EQ(ed.param.sliders[0].pos, 16);
    EXPECT_FALSE(ed.param.sliders[0].in_range);
    EXPECT_EQ(ed.param.sliders[0].text, "5.0 秒");
    EXPECT_TRUE(ed.param.sliders[1].in_range);
    ed.param_choose_effect(kReverb);
    EXPECT_EQ(ed.param.sliders[0].pos, 100);
    EXPECT_EQ(ed.param.sliders[0].text, "150");
    ed.param_choose_effect(kDrift);
    EXPECT_EQ(ed.param.sliders[slider_of("drift_speed")].pos, 1);
    EXPECT_EQ(ed.param.sliders[slider_of("drift_speed")].text, "-3/1000");
    // 10 samples are not a whole millisecond at 88200 samples per second: shown as 0 ms.
    ed.param_choose_effect(kDenoise);
    EXPECT_EQ(ed.param.sliders[slider_of("denoise_release")].text, "0 毫秒");

    const EffectSettings after = current();
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
}

TEST_F(ParamPageTest, SetMovesThePageAndInitResetsIt) {
    Editor& ed = editor();
    ed.param_choose_effect(kWah);
    EffectSettings s = current();
    s.wah_rate = 12;
    s.wah_enabled = 1;
    vemomix_set(s);
    EXPECT_EQ(ed.param.sliders[0].pos, 12);
    EXPECT_EQ(ed.param.sliders[0].text, "1.2 Hz");
    EXPECT_TRUE(ed.param.effect_on);

    vemomix_init(44100, 2, 0);
    EXPECT_EQ(ed.param.sliders[0].pos, 25);
    EXPECT_FALSE(ed.param.effect_on);
}

TEST_F(ParamPageTest, TextsInTheirUnits) {
    struct Case {
        const char* field;
        double value;
        const char* text;
    };
    const Case cases[] = {
        {"echo_delay_s", 0.6f, "0.6 秒"},      {"denoise_hold", 176, "1 毫秒"},   {"denoise_open_level", 500, "50"},
        {"chorus_depth", 50, "100"},           {"chorus_rate", 5, "1587"},          {"chorus_wet", 250, "97 %"},
        {"reverb_wet_db", -10, "-10 dB"},      {"phaser_rate", 50, "0.50 Hz"},    {"vibrato_period", 20, "0.20 秒"},
        {"comp_slope_x10", 5, "0.5"},          {"dist_level", 20, "20/256"},      {"am_waveform", 0, "正弦"},
        {"am_waveform", 1, "三角"},            {"pitch_frame_size", 2048, "2048 采样"},
        {"odrive_drive_ohms", 520, "520 欧"},  {"reverb_room_m", 20, "20 米"},   {"pitch_octaves", -0.3f, "-0.3 倍频程"},
    };
    for (const Case& c : cases) EXPECT_EQ(param_text(*find_param(c.field), c.value, 44100, 2), c.text) << c.field;
}

TEST_F(ParamPageTest, ChooserSwitchAndTabs) {
    Editor& ed = editor();
    ed.param_choose_effect(kEcho);
    ed.param_choose_effect(kGraphicEq);  // leads to the equaliser's tab
    EXPECT_EQ(ed.current_tab, 1);
    EXPECT_EQ(ed.param.effect, kEcho);
    ed.select_tab(2);
    EXPECT_EQ(ed.current_tab, 2);
    ed.on_editor_command(1333999, 3);  // asks for tab 5
    EXPECT_EQ(ed.current_tab, 2);

    ed.param_on_switch(true);
    EXPECT_EQ(engine().enabled[kEcho].load(), 1);
    EXPECT_TRUE(ed.chain.switches[kEcho].checked);
    EXPECT_EQ(ed.chain.rows[kEcho - 1].cells[2].text, "有效");
    ed.on_switch_clicked(kEcho, false);
    EXPECT_FALSE(ed.param.effect_on);
    vemomix_setecho(1);
    EXPECT_TRUE(ed.param.effect_on);
}

}  // namespace
}  // namespace vemo::test
