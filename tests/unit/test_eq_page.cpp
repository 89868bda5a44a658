// The equaliser page model: band counts and lay-out, slider laws, linked tuning, presets
// chosen, saved and deleted through the page, and the preset file it keeps.
#include <filesystem>
#include <memory>

#include "editor/preset_file.h"
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

// Each row: a slot, the gain the page remembers for it, and its slider position (-1: not checked).
// With `engine`, both channels of the engine hold the stored gain of that level.
void expect_slots(std::initializer_list<std::array<int, 3>> rows, bool engine_too = false) {
    const EqPage& eq = editor().eq;
    for (const auto& [slot, gain, pos] : rows) {
        EXPECT_EQ(std::pair(eq.last_gain[slot], pos < 0 ? pos : eq.slider_pos[slot]), std::pair(gain, pos)) << slot;
        for (int c = 0; engine_too && c < 2; ++c)
            EXPECT_EQ(engine().eq.eq_gain[slot][c].load(), stored_gain(static_cast<float>(gain), slot)) << slot;
    }
}

class EqPageTest : public Session {
protected:
    void SetUp() override {
        headless().library_dir_override = dir.path().string();
        headless().messages.clear();
        headless().typed_names.clear();
        headless().yes_no_answer = MessageBoxAnswer::kYes;
        Session::SetUp();
    }
    void TearDown() override { Session::TearDown(), headless().library_dir_override.clear(); }
    fs::path preset_file() const { return dir / "vemoeqset.eq"; }
    int combo_index(const std::string& name) const {
        const auto& c = editor().eq.combo;
        const auto it = std::find(c.begin(), c.end(), name);
        return it == c.end() ? -1 : static_cast<int>(it - c.begin());
    }
    // Saves the current sliders under a name typed into the dialog.
    void save_as(const std::string& name) {
        headless().typed_names = {name};
        editor().eq.on_save();
    }
    // The message boxes shown so far as (text, caption, kind), and forgets them.
    using Messages = std::vector<std::tuple<std::string, std::string, MessageBoxKind>>;
    static Messages messages() {
        Messages out;
        for (const auto& m : headless().messages) out.emplace_back(m.text, m.caption, m.kind);
        headless().messages.clear();
        return out;
    }

    ScratchDir dir;
};

TEST_F(EqPageTest, LinkedTuningMovesNeighboursByTheirFactorsUntilInitialisation) {
    Editor& ed = editor();
    ed.eq.on_linked(true);
    ed.eq.on_band_slider(0, 15);  // +8 dB; slot 2 follows slot 0 at half
    expect_slots({{0, 8, 15}, {1, 6, 17}, {2, 4, 20}, {3, 0, 25}}, true);
    // Elsewhere the second neighbours take 0.6, and the moved slot's change d counts.
    ed.eq.on_band_slider(8, 0);  // +20 dB from 0
    expect_slots({{7, 15, -1}, {9, 15, -1}, {6, 12, -1}, {10, 12, -1}});
    ed.eq.on_band_slider(8, 25);  // back by 20 dB
    expect_slots({{7, 0, -1}, {6, 0, 25}});

    // A new band count starts flat, so slot 2 follows slot 4 from 0.  Linked gains are not limited:
    // slot 5 follows slots 4 and 7, 15 + 0.6 * 20; the slider shows the nearest end.  At the top,
    // slot 31 is no band and does not follow.
    ed.eq.choose_band_count(31);
    ed.eq.on_band_slider(4, 0);
    ed.eq.on_band_slider(7, 0);
    expect_slots({{5, 27, 0}, {2, 12, -1}}, true);
    ed.eq.on_band_slider(30, 50);  // -20 dB
    expect_slots({{29, -15, -1}, {28, -12, -1}, {31, 0, 25}});

    // Initialisation puts the page back: 10 bands, switches off, pre-gain and sliders in the middle.
    ed.eq.on_option(true);
    ed.eq.on_preamp(3);
    vemomix_init(44100, 2, 0);
    EXPECT_EQ(std::tuple(ed.eq.band_count, ed.eq.band_buttons[0].checked, ed.eq.band_buttons[3].checked,
                         ed.eq.option.checked, ed.eq.linked.checked, ed.eq.preamp_pos, ed.eq.combo_sel),
              std::tuple(10, true, false, false, false, 12, 0));
    expect_slots({{5, 0, 25}});
}

// Linking is off here: neighbours moved one after the other keep their own gains.
TEST_F(EqPageTest, SliderEndsSmallStepsOptionAndPreGain) {
    Editor& ed = editor();
    ed.eq.on_band_slider(3, 50);
    ed.eq.on_band_slider(4, 26);  // -0.8 dB, remembered as 0
    ed.eq.on_band_slider(5, 0);
    expect_slots({{3, -20, 50}, {4, 0, 26}, {5, 20, 0}});
    EXPECT_EQ(std::tuple(engine().eq.eq_gain[3][0].load(), engine().eq.eq_gain[4][1].load()),
              std::tuple(stored_gain(-20.0f, 3), stored_gain(static_cast<float>(20 - 26 * 20 * 0.04), 4)));

    // The option writes the extra filter flag; pre-gain: (pos - 12) * 1.5 dB.
    for (const bool on : {true, false}) {
        ed.eq.on_option(on);
        EXPECT_EQ(std::tuple(engine().eq.eq_extra_filter.load(), current().eq_extra_filter), std::tuple(on, on));
    }
    for (const auto& [pos, db] : {std::pair(0, -18.0f), std::pair(17, 7.5f)}) {
        ed.eq.on_preamp(pos);
        EXPECT_EQ(std::tuple(ed.eq.preamp_pos, engine().eq.eq_preamp[pos % 2].load()),
                  std::tuple(pos, stored_gain(db, -1)));
    }
}

// Each band count, through its button or a record: rows, the second scale, which slots show
// and where, and the preset list's first entry.
TEST_F(EqPageTest, BandCountsLayThePageOut) {
    // Button, bands, slots in the first row, the first preset; a second row shows the second scale.
    const std::tuple<int, int, int, const char*> rows[] = {
        {1, 15, 15, "15频段缺省模式"}, {0, 10, 10, "10频段缺省模式"}, {2, 25, 13, "25频段缺省模式"}, {3, 31, 16, "31频段缺省模式"}};
    Editor& ed = editor();
    EXPECT_EQ(std::tuple(ed.eq.band_buttons[2].caption, ed.eq.option.caption, ed.eq.linked.caption),
              std::tuple("25频段", "二级调整", "调谐联动"));
    for (const auto& [button, bands, row0, first_preset] : rows) {
        ed.eq.on_band_button(button);
        const EqSlot &last0 = ed.eq.slots[row0 - 1], &first1 = ed.eq.slots[row0], &last = ed.eq.slots[bands - 1];
        EXPECT_EQ(std::tuple(ed.eq.band_count, engine().eq.eq_band_count, ed.eq.row_length[0], ed.eq.row_length[1],
                             ed.eq.second_scale_visible, last0.row, last0.shown, first1.shown, ed.eq.slots[31].shown,
                             ed.eq.band_buttons[button].checked, ed.eq.combo.front()),
                  std::tuple(bands, bands, row0, bands - row0, bands > 15, 0, true, bands > 15, false, true,
                             first_preset))
            << bands;
        if (bands > 15) {
            EXPECT_EQ(std::tuple(first1.row, first1.column, last.column), std::tuple(1, 0, bands - row0 - 1));
        }
    }
    // At 31 bands the labels' colour families split at 800, 4000 and 8000 Hz; each slider is a shade
    // of its family (green, blue, red, grey), a different one from its neighbour in the family.
    const std::tuple<int, const char*, Colour> labels[] = {
        {0, "20", 0x0020FF20u}, {15, "630", 0x0020FF20u}, {16, "800", 0x00FF0000u}, {23, "4K", 0x000000FFu},
        {25, "6.3K", 0x000000FFu}, {26, "8K", 0x00FFFFFFu},  {30, "20K", 0x00FFFFFFu}};
    for (const auto& [slot, label, colour] : labels)
        EXPECT_EQ(std::tuple(ed.eq.slots[slot].label, ed.eq.slots[slot].label_colour), std::tuple(label, colour)) << slot;
    for (int k = 0; k < 31; ++k) {
        const Colour c = ed.eq.slots[k].slider_colour, family = ed.eq.slots[k].label_colour;
        const int r = red_of(c), g = green_of(c), b = blue_of(c);
        EXPECT_TRUE(family == 0x0020FF20u ? r == b && g > r : family == 0x00FF0000u ? r == g && b > r
                    : family == 0x000000FFu ? g == b && r > g : r == g && g == b) << k << ": " << std::hex << c;
        EXPECT_TRUE(k == 0 || ed.eq.slots[k - 1].label_colour != family || c != ed.eq.slots[k - 1].slider_colour) << k;
    }

    // A record with 15 bands lays the page out the same way, lists its presets and sets the sliders.
    start();
    set_record([](EffectSettings& s) { s.eq_band_count = 15, s.eq_band_level[14] = -20; });
    const EqPage& eq = editor().eq;
    EXPECT_EQ(std::tuple(eq.combo, eq.band_buttons[0].checked, eq.band_buttons[1].checked, eq.combo_sel,
                         eq.row_length[0], eq.slots[15].shown, engine().eq.eq_bands_in_use, eq.slider_pos[14]),
              std::tuple(std::vector<std::string>{"15频段缺省模式"}, false, true, 0, 15, false, 15, 50));

    // Below 44100 Hz only 10 bands can be chosen.
    start(22050, 1);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(editor().eq.band_buttons[i].enabled, i == 0) << i;
    editor().eq.on_band_button(3);
    EXPECT_EQ(std::tuple(editor().eq.band_count, engine().eq.eq_band_count), std::tuple(10, 10));
    start(48000, 2);
    EXPECT_TRUE(editor().eq.band_buttons[3].enabled);
}

// Presets chosen from the list, built in or read from the file when the page is created.
TEST_F(EqPageTest, ChoosingAPresetSetsEngineSlidersAndLastGains) {
    PresetTable saved;
    saved.count = 0;
    const int32_t g[31] = {5, -5};
    ASSERT_EQ(saved.add("文件十段", 10, g), PresetStatus::kOk);
    ASSERT_EQ(saved.add("文件三十一段", 31, g), PresetStatus::kOk);
    ASSERT_TRUE(preset_file_save(saved, preset_file().string()).ok());
    start();
    Editor& ed = editor();
    ASSERT_EQ(combo_index("文件十段"), 8);  // after the eight built-in 10-band presets
    ed.eq.choose_preset(8);
    expect_slots({{0, 5, -1}, {1, -5, 31}});

    ed.eq.choose_preset(2);  // Rock摇滚模式
    EXPECT_EQ(ed.eq.combo_sel, 2);
    expect_slots({{0, 8, 15}, {2, -6, 32}, {9, 10, -1}}, true);
    // An item past the end takes record 0 (all flat) and selects item 0.
    ed.eq.choose_preset(99);
    EXPECT_EQ(ed.eq.combo_sel, 0);
    expect_slots({{0, 0, 25}, {7, 0, 25}}, true);
    ed.eq.on_band_button(3);
    EXPECT_EQ(ed.eq.combo, (std::vector<std::string>{"31频段缺省模式", "文件三十一段"}));
}

TEST_F(EqPageTest, SaveRefusesBadNamesAndKeepsTheDialogOpen) {
    Editor& ed = editor();
    ed.eq.on_band_button(3);
    headless().typed_names = {"", "Rock摇滚模式", std::string(64, 'a'), "表情😀", "三十一段"};
    ed.eq.on_save();  // a 10-band name is refused at 31 bands too
    EXPECT_EQ(messages(), (Messages{{"必须输入音效模式名称", "", MessageBoxKind::kOk},
                                    {"输入音效模式名称已存在", "", MessageBoxKind::kOk},
                                    {preset_status_text(PresetStatus::kNameTooLong), "", MessageBoxKind::kOk},
                                    {preset_status_text(PresetStatus::kNameNotCp936), "", MessageBoxKind::kOk}}));

    // The fifth name was taken: it is offered at 31 bands, selected, and in the file.
    EXPECT_EQ(std::tuple(ed.eq.combo, ed.eq.combo_sel, ed.eq.presets.count, fs::file_size(preset_file())),
              std::tuple(std::vector<std::string>{"31频段缺省模式", "三十一段"}, 1, kBuiltinPresets + 1, 196u));

    // Exactly 63 bytes is accepted; giving up saves nothing.
    save_as(std::string(63, 'b'));
    headless().typed_names.clear();
    ed.eq.on_save();
    EXPECT_EQ(std::tuple(ed.eq.presets.count, fs::file_size(preset_file())), std::tuple(kBuiltinPresets + 2, 2 * 196u));

    // A full table is refused before the dialog opens.
    const int32_t flat[31] = {};
    for (int i = 0; !ed.eq.presets.full(); ++i)
        ASSERT_EQ(ed.eq.presets.add(std::string("p").append(std::to_string(i)), 10, flat), PresetStatus::kOk);
    const int dialogs = headless().name_dialogs;
    save_as("还有一个");
    EXPECT_EQ(std::tuple(headless().name_dialogs, ed.eq.presets.count, messages()),
              std::tuple(dialogs, kPresetCapacity,
                         Messages{{preset_status_text(PresetStatus::kTableFull), "音效模式保存", MessageBoxKind::kOk}}));
}

// Built-ins cannot be deleted, user presets only after a yes.  The page writes onto the file as it
// is now, under its lock: a preset another program added while the host ran stays, and one it saved
// under the name the page saves is neither replaced nor duplicated, and the page says so.  A save or
// delete that cannot reach the disk says why; the save goes into the file with the next write.  A file
// that is not a preset file is left as it is.
TEST_F(EqPageTest, DeleteAsksFirstAndWritesMergeWithTheFileOnDisk) {
    Editor& ed = editor();
    const std::string path = preset_file().string();
    ed.eq.choose_preset(combo_index("Rock摇滚模式"));
    ed.eq.on_delete();
    EXPECT_EQ(messages(), (Messages{{"内置音效，无法删除", "音效删除", MessageBoxKind::kOk}}));

    ed.eq.on_band_slider(0, 5);
    save_as("我的");
    PresetTable other;
    other.count = 0;
    const int32_t g[31] = {};
    ASSERT_EQ(other.add("导入", 10, g), PresetStatus::kOk);
    ASSERT_EQ(other.add("另一个", 10, g), PresetStatus::kOk);
    using K = PresetEdit::Kind;
    ASSERT_TRUE(preset_file_apply(path, {{K::kPut, other.records[0]}, {K::kPut, other.records[1]}}).written());
    ed.eq.on_band_slider(0, 45);
    save_as("另一个");
    EXPECT_EQ(messages(), (Messages{{"其他程序已保存了名为“另一个”的音效模式，此音效模式未写入文件", "音效模式保存",
                                     MessageBoxKind::kOk}}));

    FileLock held;
    ASSERT_TRUE(held.acquire(path).ok());
    ed.eq.preset_lock_wait_ms = 20;
    save_as("第三");
    held.release();
    ed.eq.preset_lock_wait_ms = kFileLockWaitMs;
    EXPECT_EQ(messages(), (Messages{{"音效模式文件正被其他程序使用，音效模式未能写入文件，重新启动后将会丢失", "音效模式保存",
                                     MessageBoxKind::kOk}}));
    EXPECT_EQ(std::tuple(ed.eq.presets.count, ed.eq.preset_file_written), std::tuple(kBuiltinPresets + 3, false));

    ed.eq.choose_preset(combo_index("我的"));
    EXPECT_EQ(ed.eq.slider_pos[0], 5);
    headless().yes_no_answer = MessageBoxAnswer::kNo;
    ed.eq.on_delete();  // a no deletes nothing: the same preset is asked for again
    headless().yes_no_answer = MessageBoxAnswer::kYes;
    ed.eq.on_delete();
    EXPECT_EQ(messages(), (Messages{{"确认删除音效我的 吗", "音效删除", MessageBoxKind::kYesNo},
                                    {"确认删除音效我的 吗", "音效删除", MessageBoxKind::kYesNo}}));
    // The first 10-band preset applies again; the file keeps the others' two (another's gains under its
    // name) and the page's third, names in code page 936.
    EXPECT_EQ(std::tuple(ed.eq.presets.count, combo_index("我的"), ed.eq.combo_sel, ed.eq.slider_pos[0]),
              std::tuple(kBuiltinPresets + 2, -1, 0, 25));
    const std::string back = file_bytes(preset_file());
    std::vector<std::pair<std::string, int>> names;
    for (size_t i = 0; i < back.size(); i += sizeof(PresetRecord))
        names.emplace_back(back.c_str() + i, reinterpret_cast<const PresetRecord*>(back.data() + i)->gains[0]);
    EXPECT_EQ(names, (std::vector<std::pair<std::string, int>>{
                         {"\xB5\xBC\xC8\xEB", 0}, {"\xC1\xED\xD2\xBB\xB8\xF6", 0}, {"\xB5\xDA\xC8\xFD", -16}}));

    const std::string zeros(5 * sizeof(PresetRecord), '\0');
    std::ofstream(path, std::ios::binary) << zeros;
    ed.eq.choose_preset(combo_index("另一个"));
    ed.eq.on_delete();
    EXPECT_EQ(messages(),
              (Messages{{"确认删除音效另一个 吗", "音效删除", MessageBoxKind::kYesNo},
                        {"音效模式文件已损坏或不是音效模式文件，未作改动，音效模式未能从文件中删除，重新启动后将会重新出现",
                         "音效删除", MessageBoxKind::kOk}}));
    EXPECT_EQ(file_bytes(preset_file()), zeros);
}

}  // namespace
}  // namespace vemo::test
