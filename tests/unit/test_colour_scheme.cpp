// The colour scheme and its window model: derived colours, style cycling, swatches, the
// channel and alpha sliders, and the bytes of the settings file.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

#include "editor/colour_scheme.h"
#include "editor/settings_file.h"
#include "editor/text_codec.h"
#include "scratch_dir.h"
#include "test_support.h"

namespace vemo {
namespace {

namespace fs = std::filesystem;
using test::file_bytes;

std::string gbk(const std::string& utf8) {
    std::string out;
    EXPECT_TRUE(utf8_to_cp936(utf8, out));
    return out;
}

struct Recorder {
    std::vector<std::pair<int, int>> commands;
    void attach(ColourWindow& w) {
        w.send_command = [this](int code, int arg) { commands.emplace_back(code, arg); };
    }
};

TEST(ColourScheme, DerivedColoursOfTheDefaultAndAtTheChannelLimits) {
    ColourScheme s;
    EXPECT_EQ(s.main_colour, 0x00624C06u);
    EXPECT_EQ(s.header_style, 2);
    EXPECT_EQ(s.border_style, 0);
    EXPECT_EQ(s.window_alpha, 255);
    EXPECT_EQ(s.tab_text, rgb(249 - 34, 179 - 34, 157 - 34));
    EXPECT_EQ(s.caption, 0x00624C06u);
    EXPECT_EQ(s.dialog_fill, rgb(57, 127, 149));
    EXPECT_EQ(s.tab_header, rgb(58, 128, 150));
    EXPECT_EQ(s.cell_shade_1, rgb(13, 83, 105));
    EXPECT_EQ(s.cell_shade_2, rgb(20, 90, 112));

    s.set_main_colour(rgb(250, 10, 30));
    EXPECT_EQ(s.tab_text, rgb(0, 211, 191));   // 5 - 34 stops at 0
    EXPECT_EQ(s.dialog_fill, rgb(255, 61, 81));  // 250 + 51 stops at 255
    EXPECT_EQ(s.cell_shade_2, rgb(255, 24, 44));
}

TEST(ColourScheme, StylesCycle) {
    ColourScheme s;
    ColourWindow w(s);
    Recorder rec;
    rec.attach(w);
    const int border = s.border_style;
    for (int i = 0; i < 6; ++i) {
        w.on_next_border();
        EXPECT_NE(s.border_style, border);
    }
    w.on_next_border();  // the seventh press
    EXPECT_EQ(s.border_style, border);
    int headers[4];
    for (int& h : headers) w.on_next_header(), h = s.header_style;
    EXPECT_EQ(headers[0], 3);
    EXPECT_EQ(headers[1], 0);
    EXPECT_EQ(headers[3], 2);
    ASSERT_EQ(rec.commands.size(), 11u);
    for (const auto& c : rec.commands) EXPECT_EQ(c.first, kCmdRecolour);
}

TEST(ColourWindow, ShowingChecksTheSwatchOfTheMainColour) {
    ColourScheme s;
    ColourWindow w(s);
    Recorder rec;
    rec.attach(w);
    s.set_main_colour(0x00084808u);
    w.on_shown();
    EXPECT_EQ(w.checked, (std::array<bool, 5>{false, true, false, false, false}));
    EXPECT_EQ(w.channel, (std::array<int, 3>{0x08, 0x48, 0x08}));
    ASSERT_EQ(rec.commands.size(), 1u);
    EXPECT_EQ(rec.commands[0], std::make_pair(kCmdPreviewAlpha, 255));

    // A colour of no preset: the custom swatch takes it.
    s.set_main_colour(rgb(1, 2, 3));
    w.on_shown();
    EXPECT_EQ(w.checked, (std::array<bool, 5>{false, false, false, false, true}));
    EXPECT_EQ(w.custom_colour, rgb(1, 2, 3));

    w.on_swatch_clicked(3);
    EXPECT_EQ(s.main_colour, 0x00480808u);
    EXPECT_EQ(s.tab_header, lighten(0x00480808u, 52));
    EXPECT_TRUE(w.checked[3]);
    EXPECT_FALSE(w.checked[4]);
    w.on_swatch_clicked(4);
    EXPECT_EQ(s.main_colour, rgb(1, 2, 3));
}

TEST(ColourWindow, DraggingAChannelChangesOnlyTheCustomSwatchUntilReleased) {
    ColourScheme s;
    ColourWindow w(s);
    Recorder rec;
    rec.attach(w);
    w.on_shown();
    rec.commands.clear();
    w.on_channel_moved(0, 200);
    EXPECT_EQ(s.main_colour, kDefaultMainColour);
    EXPECT_EQ(w.custom_colour, rgb(200, 76, 98));
    EXPECT_TRUE(w.checked[4]);
    EXPECT_TRUE(rec.commands.empty());
    w.on_channel_moved(2, 300);  // kept inside the slider's range
    EXPECT_EQ(w.custom_colour, rgb(6, 76, 255));
    w.on_channel_released();
    EXPECT_EQ(s.main_colour, rgb(200, 76, 255));
    EXPECT_EQ(s.cell_shade_1, rgb(207, 83, 255));
    ASSERT_EQ(rec.commands.size(), 1u);
    EXPECT_EQ(rec.commands[0].first, kCmdRecolour);
}

TEST(ColourWindow, AlphaPreviewsThenApplies) {
    ColourScheme s;
    ColourWindow w(s);
    Recorder rec;
    rec.attach(w);
    w.on_alpha_moved(60);  // the slider stops at 120
    EXPECT_EQ(w.alpha_pos, 120);
    EXPECT_EQ(s.window_alpha, 255);
    w.on_alpha_moved(180);
    w.on_alpha_released();
    EXPECT_EQ(s.window_alpha, 180);
    const std::vector<std::pair<int, int>> expected = {
        {kCmdPreviewAlpha, 120}, {kCmdPreviewAlpha, 180}, {kCmdPreviewAlpha, 255}, {kCmdApplyAlpha, 0}};
    EXPECT_EQ(rec.commands, expected);
}

class SettingsFileTest : public ::testing::Test {
protected:
    test::ScratchDir dir;
};

TEST_F(SettingsFileTest, FreshFileHoldsTheFourKeysInCodePage936) {
    ColourScheme s;
    const fs::path ini = dir / "quillaret.ini";
    ASSERT_TRUE(write_colour_settings(ini.string(), s));
    // "Lorun音效器" in code page 936.
    const std::string section = "Lorun\xD2\xF4\xD0\xA7\xC6\xF7";
    const std::string expected = "[" + section + "]\r\n" + gbk("软件界面类型") + "=2\r\n" + gbk("软件界面边框") +
                                 "=0\r\n" + gbk("软件界面颜色") + "=412770\r\n" + gbk("主窗口透明度") + "=255\r\n";
    EXPECT_EQ(file_bytes(ini), expected);
    EXPECT_EQ(settings_colour_value(rgb(0x12, 0x34, 0x56)), 0x123456);
}

TEST_F(SettingsFileTest, RewritingKeepsOtherSectionsAndReplacesValuesInPlace) {
    const fs::path ini = dir / "quillaret.ini";
    const std::string section = gbk("Lorun音效器");
    {
        std::ofstream out(ini, std::ios::binary);
        out << "[other]\nkey=1\n\n[" << section << "]\n" << gbk("主窗口透明度") << " = 200\nmine=7\n\n[tail]\nx=y\n";
    }
    ColourScheme s;
    s.set_main_colour(rgb(255, 0, 1));
    s.window_alpha = 130;
    ASSERT_TRUE(write_colour_settings(ini.string(), s));
    const std::string expected = "[other]\r\nkey=1\r\n\r\n[" + section + "]\r\n" + gbk("主窗口透明度") + "=130\r\nmine=7\r\n" +
                                 gbk("软件界面类型") + "=2\r\n" + gbk("软件界面边框") + "=0\r\n" + gbk("软件界面颜色") +
                                 "=16711681\r\n\r\n[tail]\r\nx=y\r\n";
    EXPECT_EQ(file_bytes(ini), expected);
    EXPECT_FALSE(write_colour_settings((dir.path() / "missing" / "quillaret.ini").string(), s));
}

// Through the editor: the window's save writes beside the host, and re-colouring reaches
// the chain page's switched-off rows.
class ColourEditorTest : public test::Session {
protected:
    void SetUp() override {
        test::headless().host_dir_override = dir.path().string();
        Session::SetUp();
    }
    void TearDown() override {
        Session::TearDown();
        test::headless().host_dir_override.clear();
    }
    test::ScratchDir dir;
};

TEST_F(ColourEditorTest, ReleaseRecoloursRowsAndSaveWritesTheFile) {
    Editor& ed = editor();
    ed.on_switch_clicked(kCompressor, true);
    ed.on_switch_clicked(kCompressor, false);  // painted as switched off
    ed.toggle_colour_window();
    EXPECT_TRUE(ed.colour_window.shown);
    ed.colour_window.on_channel_moved(0, 200);
    const ChainRow* row = nullptr;
    for (const auto& r : ed.chain.rows)
        if (r.type() == kCompressor) row = &r;
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->cells[0].back_colour, kDefaultMainColour);
    ed.colour_window.on_channel_released();
    EXPECT_EQ(row->cells[0].back_colour, rgb(200, 76, 98));
    EXPECT_EQ(row->cells[2].back_colour, rgb(214, 90, 112));

    ed.colour_save();
    EXPECT_FALSE(ed.colour_window.shown);
    const std::string text = file_bytes(dir / "quillaret.ini");
    EXPECT_NE(text.find(gbk("软件界面颜色") + "=13126754\r\n"), std::string::npos);
}

TEST_F(ColourEditorTest, AlphaReachesTheWindowsOnlyWhileTransparencyIsEnabled) {
    Editor& ed = editor();
    vemomix_set_wintran(0);
    ed.colour_window.on_alpha_moved(150);
    ed.colour_window.on_alpha_released();
    EXPECT_EQ(ed.colours.window_alpha, 150);
    EXPECT_EQ(ed.editor_alpha, 255);
    vemomix_set_wintran(1);
    ed.colour_window.on_alpha_moved(140);
    EXPECT_EQ(ed.colour_window_alpha, 140);
    ed.colour_window.on_alpha_released();
    EXPECT_EQ(ed.colour_window_alpha, 255);
    EXPECT_EQ(ed.editor_alpha, 140);
}

}  // namespace
}  // namespace vemo
