// The equaliser page model: band counts and lay-out, slider laws, linked tuning, presets
// chosen, saved and deleted through the page, and the preset file it keeps.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "editor/preset_file.h"
#include "editor/text_codec.h"
#include "effects/eq_tables.h"
#include "scratch_dir.h"
#include "test_support.h"

namespace vemo::test {
namespace {

namespace fs = std::filesystem;

// What eq_set_gain stores for a level, taken from a separate equaliser.
float stored_gain(float level, int band) {
    auto ref = std::make_unique<EqState>();
    eq_set_gain(*ref, level, band, 0);
    return band < 0 ? ref->eq_preamp[0].load() : ref->eq_gain[band][0].load();
}

float engine_gain(int band, int channel) { return engine().eq.eq_gain[band][channel].load(); }

class EqPageTest : public Session {
protected:
    void SetUp() override {
        headless().library_dir_override = dir.path().string();
        headless().messages.clear();
        headless().typed_names.clear();
        headless().yes_no_answer = MessageBoxAnswer::kYes;
        Session::SetUp();
    }
    void TearDown() override {
        Session::TearDown();
        headless().library_dir_override.clear();
    }
    fs::path preset_file() const { return dir / "vemoeqset.eq"; }
    int combo_index(const std::string& name) const {
        const auto& c = editor().eq.combo;
        const auto it = std::find(c.begin(), c.end(), name);
        return it == c.end() ? -1 : static_cast<int>(it - c.begin());
    }
    // Saves the current sliders under a name typed into the dialog.
    void save_as(const std::string& name) {
        headless().typed_names = {name};
        editor().eq_on_save();
    }

    ScratchDir dir;
};

TEST_F(EqPageTest, LinkedTuningMovesNeighboursByTheirFactors) {
    Editor& ed = editor();
    ed.eq_on_linked(true);
    ed.eq_on_band_slider(0, 15);  // +8 dB
    EXPECT_EQ(ed.eq.last_gain[0], 8);
    EXPECT_EQ(ed.eq.last_gain[1], 6);
    EXPECT_EQ(ed.eq.slider_pos[1], 17);
    EXPECT_EQ(ed.eq.last_gain[2], 4);  // slot 2 follows slot 0 at half
    EXPECT_EQ(ed.eq.slider_pos[2], 20);
    EXPECT_EQ(ed.eq.slider_pos[3], 25);
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(engine_gain(0, c), stored_gain(8.0f, 0));
        EXPECT_EQ(engine_gain(1, c), stored_gain(6.0f, 1));
        EXPECT_EQ(engine_gain(2, c), stored_gain(4.0f, 2));
    }

    // Elsewhere the second neighbours take 0.6, and the moved slot's change d counts.
    ed.eq_on_band_slider(8, 0);  // +20 dB from 0
    EXPECT_EQ(ed.eq.last_gain[7], 15);
    EXPECT_EQ(ed.eq.last_gain[9], 15);
    EXPECT_EQ(ed.eq.last_gain[6], 12);
    EXPECT_EQ(ed.eq.last_gain[10], 12);
    ed.eq_on_band_slider(8, 25);  // back by 20 dB
    EXPECT_EQ(ed.eq.last_gain[7], 0);
    EXPECT_EQ(ed.eq.last_gain[6], 0);
    EXPECT_EQ(ed.eq.slider_pos[6], 25);
}

TEST_F(EqPageTest, LinkedGainsAreNotLimitedAndStopAtTheLastEngineBand) {
    Editor& ed = editor();
    ed.eq_choose_band_count(31);
    ed.eq_on_linked(true);
    ed.eq_on_band_slider(4, 0);
    ed.eq_on_band_slider(7, 0);  // slot 5 follows both: 15 + 0.6 * 20
    EXPECT_EQ(ed.eq.last_gain[5], 27);
    EXPECT_EQ(ed.eq.slider_pos[5], 0);  // the slider shows the nearest end
    EXPECT_EQ(engine_gain(5, 1), stored_gain(27.0f, 5));

    ed.eq_on_band_slider(30, 50);  // -20 dB: slots 29 and 28 follow, slot 31 is no band
    EXPECT_EQ(ed.eq.last_gain[29], -15);
    EXPECT_EQ(ed.eq.last_gain[28], -12);
    EXPECT_EQ(ed.eq.last_gain[31], 0);
    EXPECT_EQ(ed.eq.slider_pos[31], 25);

    // Linked tuning off: only the moved slot changes.
    ed.eq_on_linked(false);
    ed.eq_on_band_slider(20, 0);
    EXPECT_EQ(ed.eq.last_gain[20], 20);
    EXPECT_EQ(ed.eq.last_gain[19], 0);
    EXPECT_EQ(ed.eq.last_gain[21], 0);
}

TEST_F(EqPageTest, SliderEndsAndSmallStepsFollowTheLaw) {
    Editor& ed = editor();
    ed.eq_on_band_slider(3, 50);
    EXPECT_EQ(ed.eq.last_gain[3], -20);
    EXPECT_EQ(engine_gain(3, 0), stored_gain(-20.0f, 3));
    ed.eq_on_band_slider(4, 26);  // -0.8 dB
    EXPECT_EQ(ed.eq.last_gain[4], 0);
    EXPECT_EQ(engine_gain(4, 1), stored_gain(static_cast<float>(20 - 26 * 20 * 0.04), 4));
    ed.eq_on_band_slider(5, 0);
    EXPECT_EQ(ed.eq.last_gain[5], 20);

    save_as("小步");
    const int r = ed.presets.count - 1;
    EXPECT_EQ(ed.presets.records[r].gains[3], -20);
    EXPECT_EQ(ed.presets.records[r].gains[4], 0);
    EXPECT_EQ(ed.presets.records[r].gains[5], 20);
    EXPECT_EQ(ed.presets.records[r].gains[30], 0);

    // Pre-gain: (pos - 12) * 1.5 dB.
    ed.eq_on_preamp(0);
    EXPECT_EQ(engine().eq.eq_preamp[1].load(), stored_gain(-18.0f, -1));
    ed.eq_on_preamp(17);
    EXPECT_EQ(ed.eq.preamp_pos, 17);
    EXPECT_EQ(engine().eq.eq_preamp[0].load(), stored_gain(7.5f, -1));
}

TEST_F(EqPageTest, ThirtyOneBandsStandInTwoRowsWithTheirLabelsAndColours) {
    Editor& ed = editor();
    ed.eq_on_band_button(3);
    EXPECT_EQ(ed.eq.band_count, 31);
    EXPECT_EQ(engine().eq.eq_band_count, 31);
    EXPECT_TRUE(ed.eq.band_buttons[3].checked);
    EXPECT_FALSE(ed.eq.band_buttons[0].checked);
    EXPECT_EQ(ed.eq.row_length[0], 16);
    EXPECT_EQ(ed.eq.row_length[1], 15);
    EXPECT_TRUE(ed.eq.second_scale_visible);
    int shown = 0;
    for (const auto& s : ed.eq.slots) shown += s.shown ? 1 : 0;
    EXPECT_EQ(shown, 31);
    EXPECT_FALSE(ed.eq.slots[31].shown);
    EXPECT_EQ(ed.eq.slots[15].row, 0);
    EXPECT_EQ(ed.eq.slots[16].row, 1);
    EXPECT_EQ(ed.eq.slots[16].column, 0);
    EXPECT_EQ(ed.eq.slots[30].column, 14);

    // Colour families split at 800, 4000 and 8000 Hz.
    EXPECT_EQ(ed.eq.slots[0].label, "20");
    EXPECT_EQ(ed.eq.slots[15].label, "630");
    EXPECT_EQ(ed.eq.slots[15].label_colour, 0x0020FF20u);
    EXPECT_EQ(ed.eq.slots[16].label, "800");
    EXPECT_EQ(ed.eq.slots[16].label_colour, 0x00FF0000u);
    EXPECT_EQ(ed.eq.slots[23].label, "4K");
    EXPECT_EQ(ed.eq.slots[23].label_colour, 0x000000FFu);
    EXPECT_EQ(ed.eq.slots[25].label_colour, 0x000000FFu);
    EXPECT_EQ(ed.eq.slots[26].label, "8K");
    EXPECT_EQ(ed.eq.slots[26].label_colour, 0x00FFFFFFu);
    EXPECT_NE(ed.eq.slots[0].slider_colour, ed.eq.slots[1].slider_colour);
}

TEST_F(EqPageTest, RowsForTenFifteenAndTwentyFiveBands) {
    Editor& ed = editor();
    EXPECT_EQ(ed.eq.row_length[0], 10);
    EXPECT_EQ(ed.eq.row_length[1], 0);
    ed.eq_on_band_button(1);
    EXPECT_EQ(ed.eq.row_length[0], 15);
    EXPECT_FALSE(ed.eq.second_scale_visible);
    EXPECT_EQ(ed.eq.slots[14].row, 0);
    EXPECT_FALSE(ed.eq.slots[15].shown);
    ed.eq_on_band_button(2);
    EXPECT_EQ(ed.eq.row_length[0], 13);
    EXPECT_EQ(ed.eq.row_length[1], 12);
    EXPECT_EQ(ed.eq.slots[13].row, 1);
    EXPECT_EQ(ed.eq.slots[24].column, 11);
    EXPECT_EQ(ed.eq.combo, std::vector<std::string>{"25频段缺省模式"});
}

TEST_F(EqPageTest, BelowFortyFourKilohertzOnlyTenBandsCanBeChosen) {
    start(22050, 1);
    Editor& ed = editor();
    EXPECT_TRUE(ed.eq.band_buttons[0].enabled);
    for (int i = 1; i < 4; ++i) EXPECT_FALSE(ed.eq.band_buttons[i].enabled) << i;
    ed.eq_on_band_button(3);
    EXPECT_EQ(ed.eq.band_count, 10);
    EXPECT_EQ(engine().eq.eq_band_count, 10);
    start(48000, 2);
    EXPECT_TRUE(editor().eq.band_buttons[3].enabled);
}

TEST_F(EqPageTest, ChoosingAPresetSetsEngineSlidersAndLastGains) {
    Editor& ed = editor();
    const int rock = combo_index("Rock摇滚模式");
    ASSERT_GE(rock, 0);
    ed.eq_choose_preset(rock);
    EXPECT_EQ(ed.eq.combo_sel, rock);
    const int gains[10] = {8, 6, -6, 8, -2, 4, 8, 10, 10, 10};
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(ed.eq.last_gain[k], gains[k]);
        EXPECT_EQ(engine_gain(k, 1), stored_gain(static_cast<float>(gains[k]), k));
    }
    EXPECT_EQ(ed.eq.slider_pos[0], 15);
    EXPECT_EQ(ed.eq.slider_pos[1], 17);
    EXPECT_EQ(ed.eq.slider_pos[2], 32);

    // An item past the end takes record 0 (all flat) and selects item 0.
    ed.eq_choose_preset(99);
    EXPECT_EQ(ed.eq.combo_sel, 0);
    EXPECT_EQ(ed.eq.slider_pos[0], 25);
    EXPECT_EQ(engine_gain(7, 0), stored_gain(0.0f, 7));
}

TEST_F(EqPageTest, OptionButtonWritesTheExtraFilterFlag) {
    editor().eq_on_option(true);
    EXPECT_EQ(engine().eq.eq_extra_filter.load(), 1);
    EXPECT_EQ(current().eq_extra_filter, 1);
    editor().eq_on_option(false);
    EXPECT_EQ(engine().eq.eq_extra_filter.load(), 0);
}

TEST_F(EqPageTest, EngineInitialisationResetsThePage) {
    Editor& ed = editor();
    ed.eq_on_band_button(3);
    ed.eq_on_option(true);
    ed.eq_on_linked(true);
    ed.eq_on_preamp(3);
    ed.eq_on_band_slider(20, 0);
    vemomix_init(44100, 2, 0);
    EXPECT_EQ(ed.eq.band_count, 10);
    EXPECT_TRUE(ed.eq.band_buttons[0].checked);
    EXPECT_FALSE(ed.eq.band_buttons[3].checked);
    EXPECT_FALSE(ed.eq.option.checked);
    EXPECT_FALSE(ed.eq.linked.checked);
    EXPECT_EQ(ed.eq.preamp_pos, 12);
    EXPECT_EQ(ed.eq.slider_pos[20], 25);
    EXPECT_EQ(ed.eq.last_gain[20], 0);
    EXPECT_EQ(ed.eq.combo_sel, 0);
}

TEST_F(EqPageTest, SaveRefusesBadNamesAndKeepsTheDialogOpen) {
    Editor& ed = editor();
    ed.eq_on_band_button(3);
    const std::string long_name(64, 'a');
    headless().typed_names = {"", "Rock摇滚模式", long_name, "表情😀", "三十一段"};
    ed.eq_on_save();
    const auto& m = headless().messages;
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(m[0].text, "必须输入音效模式名称");
    EXPECT_EQ(m[0].caption, "");
    EXPECT_EQ(m[1].text, "输入音效模式名称已存在");  // a 10-band name refused at 31 bands
    EXPECT_EQ(m[2].text, preset_status_text(PresetStatus::kNameTooLong));
    EXPECT_EQ(m[3].text, preset_status_text(PresetStatus::kNameNotCp936));
    for (const auto& msg : m) EXPECT_EQ(msg.kind, MessageBoxKind::kOk);

    // The fifth name was taken: it is offered at 31 bands, selected, and in the file.
    EXPECT_EQ(ed.presets.count, kBuiltinPresets + 1);
    EXPECT_EQ(ed.eq.combo, (std::vector<std::string>{"31频段缺省模式", "三十一段"}));
    EXPECT_EQ(ed.eq.combo_sel, 1);
    EXPECT_EQ(fs::file_size(preset_file()), 196u);
    const PresetRecord& r = ed.presets.records[kBuiltinPresets];
    EXPECT_EQ(r.band_count, 31);
    EXPECT_EQ(r.builtin, 0);

    // Exactly 63 bytes is accepted; giving up saves nothing.
    save_as(std::string(63, 'b'));
    EXPECT_EQ(ed.presets.count, kBuiltinPresets + 2);
    headless().typed_names.clear();
    ed.eq_on_save();
    EXPECT_EQ(ed.presets.count, kBuiltinPresets + 2);
    EXPECT_EQ(fs::file_size(preset_file()), 2 * 196u);
}

TEST_F(EqPageTest, SaveIntoAFullTableIsRefusedBeforeTheDialog) {
    Editor& ed = editor();
    const int32_t flat[31] = {};
    for (int i = 0; !ed.presets.full(); ++i) ASSERT_EQ(ed.presets.add(std::string("p").append(std::to_string(i)), 10, flat), PresetStatus::kOk);
    const int dialogs = headless().name_dialogs;
    save_as("还有一个");
    EXPECT_EQ(headless().name_dialogs, dialogs);
    ASSERT_EQ(headless().messages.size(), 1u);
    EXPECT_EQ(headless().messages[0].text, preset_status_text(PresetStatus::kTableFull));
    EXPECT_EQ(ed.presets.count, kPresetCapacity);
}

TEST_F(EqPageTest, DeleteRefusesBuiltinsAndAsksBeforeDeletingUserPresets) {
    Editor& ed = editor();
    ed.eq_choose_preset(combo_index("Rock摇滚模式"));
    ed.eq_on_delete();
    ASSERT_EQ(headless().messages.size(), 1u);
    EXPECT_EQ(headless().messages[0].text, "内置音效，无法删除");
    EXPECT_EQ(headless().messages[0].caption, "音效删除");
    EXPECT_EQ(ed.presets.count, kBuiltinPresets);

    ed.eq_on_band_slider(0, 5);
    save_as("我的");
    ed.eq_on_band_slider(0, 45);
    save_as("另一个");
    ASSERT_EQ(fs::file_size(preset_file()), 2 * 196u);
    ed.eq_choose_preset(combo_index("我的"));
    EXPECT_EQ(ed.eq.slider_pos[0], 5);

    headless().messages.clear();
    headless().yes_no_answer = MessageBoxAnswer::kNo;
    ed.eq_on_delete();
    ASSERT_EQ(headless().messages.size(), 1u);
    EXPECT_EQ(headless().messages[0].text, "确认删除音效我的 吗");
    EXPECT_EQ(headless().messages[0].caption, "音效删除");
    EXPECT_EQ(headless().messages[0].kind, MessageBoxKind::kYesNo);
    EXPECT_EQ(ed.presets.count, kBuiltinPresets + 2);

    headless().yes_no_answer = MessageBoxAnswer::kYes;
    ed.eq_on_delete();
    EXPECT_EQ(ed.presets.count, kBuiltinPresets + 1);
    EXPECT_EQ(combo_index("我的"), -1);
    EXPECT_EQ(ed.eq.combo_sel, 0);
    EXPECT_EQ(ed.eq.slider_pos[0], 25);  // the first 10-band preset applies again
    const std::string bytes = file_bytes(preset_file());
    ASSERT_EQ(bytes.size(), 196u);
    std::string name;
    utf8_to_cp936("另一个", name);
    EXPECT_EQ(std::string(bytes.c_str()), name);
}

TEST_F(EqPageTest, PresetFileIsReadWhenThePageIsCreated) {
    PresetTable saved;
    saved.count = 0;
    const int32_t g[31] = {5, -5};
    ASSERT_EQ(saved.add("文件十段", 10, g), PresetStatus::kOk);
    ASSERT_EQ(saved.add("文件三十一段", 31, g), PresetStatus::kOk);
    ASSERT_TRUE(preset_file_save(saved, preset_file().string()));
    {
        std::ofstream out(preset_file(), std::ios::binary | std::ios::app);
        out << std::string(100, '\x7f');  // a partial record at the end
    }
    start();
    Editor& ed = editor();
    EXPECT_EQ(ed.presets.count, kBuiltinPresets + 2);
    const int item = combo_index("文件十段");
    ASSERT_EQ(item, 8);  // after the eight built-in 10-band presets
    ed.eq_choose_preset(item);
    EXPECT_EQ(ed.eq.last_gain[0], 5);
    EXPECT_EQ(ed.eq.slider_pos[1], 31);
    ed.eq_on_band_button(3);
    EXPECT_EQ(ed.eq.combo, (std::vector<std::string>{"31频段缺省模式", "文件三十一段"}));
}

TEST_F(EqPageTest, ARecordWithThirtyOneBandsLaysThePageOut) {
    EffectSettings s = current();
    s.eq_band_count = 31;
    s.eq_band_level[30] = -20;
    vemomix_set(s);
    Editor& ed = editor();
    EXPECT_EQ(ed.eq.row_length[0], 16);
    EXPECT_EQ(ed.eq.row_length[1], 15);
    EXPECT_TRUE(ed.eq.slots[30].shown);
    EXPECT_EQ(ed.eq.slots[30].label, "20K");
    EXPECT_EQ(ed.eq.slider_pos[30], 50);
    EXPECT_EQ(ed.eq.last_gain[30], 0);
}

TEST(EqLayout, RowsAreCentredInTheFrame) {
    const EqRect frame{10, 20, 410, 220};
    const EqSlotPlace first = eq_slot_place(frame, 20, 70, 30, 14, 2, 0, 0, 16);
    const EqSlotPlace last = eq_slot_place(frame, 20, 70, 30, 14, 2, 0, 15, 16);
    EXPECT_NEAR(first.slider.left - frame.left, frame.right - last.slider.right, 1);
    EXPECT_EQ(first.label.top, first.slider.bottom);
    const EqSlotPlace second = eq_slot_place(frame, 20, 70, 30, 14, 2, 1, 0, 15);
    EXPECT_NEAR(first.slider.top - frame.top, frame.bottom - second.label.bottom, 1);
    EXPECT_GE(second.slider.top, first.label.bottom);
}

}  // namespace
}  // namespace vemo::test
