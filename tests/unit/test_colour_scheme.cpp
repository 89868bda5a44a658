// The colour scheme and its window model: derived colours, style cycling, swatches, the
// channel and alpha sliders, and the bytes of the settings file.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
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

// A colour window on its own scheme, recording the commands it sends to the editor.
class ColourWindowTest : public ::testing::Test {
protected:
    ColourWindowTest() { w.send_command = [this](int code, int arg) { commands.emplace_back(code, arg); }; }
    ColourScheme s;
    ColourWindow w{s};
    std::vector<std::pair<int, int>> commands;
    test::ScratchDir dir;
    const fs::path ini = dir / "quillaret.ini";
};

TEST_F(ColourWindowTest, DerivedColoursOfTheDefaultAndAtTheChannelLimits) {
    EXPECT_EQ(std::tuple(s.main_colour, s.header_style, s.border_style, s.window_alpha, s.tab_text, s.caption,
                         s.dialog_fill, s.tab_header, s.cell_shade_1, s.cell_shade_2),
              std::tuple(0x00624C06u, 2, 0, 255, rgb(249 - 34, 179 - 34, 157 - 34), 0x00624C06u, rgb(57, 127, 149),
                         rgb(58, 128, 150), rgb(13, 83, 105), rgb(20, 90, 112)));
    // At the channel limits: 5 - 34 stops at 0, 250 + 51 at 255.
    s.set_main_colour(rgb(250, 10, 30));
    EXPECT_EQ(std::tuple(s.tab_text, s.dialog_fill, s.cell_shade_2),
              std::tuple(rgb(0, 211, 191), rgb(255, 61, 81), rgb(255, 24, 44)));
}

TEST_F(ColourWindowTest, ShowingChecksTheSwatchOfTheMainColour) {
    s.set_main_colour(0x00084808u);
    w.on_shown();
    EXPECT_EQ(std::tuple(w.checked, w.channel, commands),
              std::tuple(std::array<bool, 5>{false, true, false, false, false}, std::array<int, 3>{0x08, 0x48, 0x08},
                         std::vector<std::pair<int, int>>{{kCmdPreviewAlpha, 255}}));

    // A colour of no preset: the custom swatch takes it.
    s.set_main_colour(rgb(1, 2, 3));
    w.on_shown();
    EXPECT_EQ(std::tuple(w.checked[4], w.custom_colour), std::tuple(true, rgb(1, 2, 3)));
    w.on_swatch_clicked(3);
    EXPECT_EQ(std::tuple(s.main_colour, w.checked),
              std::tuple(0x00480808u, std::array<bool, 5>{false, false, false, true, false}));
    w.on_swatch_clicked(4);
    EXPECT_EQ(s.main_colour, rgb(1, 2, 3));
}

TEST_F(ColourWindowTest, DraggingAChannelChangesOnlyTheCustomSwatchUntilReleased) {
    w.on_shown();
    commands.clear();
    w.on_channel_moved(0, 200);
    EXPECT_EQ(std::tuple(s.main_colour, w.custom_colour, w.checked[4], commands.size()),
              std::tuple(kDefaultMainColour, rgb(200, 76, 98), true, 0u));
    w.on_channel_moved(2, 300);  // kept inside the slider's range
    EXPECT_EQ(w.custom_colour, rgb(6, 76, 255));
    w.on_channel_released();
    EXPECT_EQ(std::tuple(s.main_colour, commands),
              std::tuple(rgb(200, 76, 255), std::vector<std::pair<int, int>>{{kCmdRecolour, 0}}));
}

// The settings file: a fresh one holds the four keys in code page 936 under "Lorun音效器", CRLF
// line ends; rewriting keeps other sections, the file's line ends and replaces values in place.
TEST_F(ColourWindowTest, SettingsFileFreshAndRewritten) {
    ASSERT_TRUE(write_colour_settings(ini.string(), s));
    EXPECT_EQ(file_bytes(ini), "[Lorun\xD2\xF4\xD0\xA7\xC6\xF7]\r\n" + gbk("软件界面类型") + "=2\r\n" + gbk("软件界面边框") +
                                   "=0\r\n" + gbk("软件界面颜色") + "=412770\r\n" + gbk("主窗口透明度") + "=255\r\n");

    const std::string section = gbk("Lorun音效器");
    std::ofstream(ini, std::ios::binary) << "[other]\nkey=1\n\n[" << section << "]\n"
                                         << gbk("主窗口透明度") << " = 200\nmine=7\n\n[tail]\nx=y\n";
    s.set_main_colour(rgb(255, 0, 1));
    s.window_alpha = 130;
    ASSERT_TRUE(write_colour_settings(ini.string(), s));
    EXPECT_EQ(file_bytes(ini), "[other]\nkey=1\n\n[" + section + "]\n" + gbk("主窗口透明度") + "=130\nmine=7\n" +
                                   gbk("软件界面类型") + "=2\n" + gbk("软件界面边框") + "=0\n" + gbk("软件界面颜色") +
                                   "=16711681\n\n[tail]\nx=y\n");
    // A CR LF file with one stray LF line and no end on its last line keeps all three.
    std::ofstream(ini, std::ios::binary) << "[a]\r\nb=1\nc=2\r\nlast=3";
    ASSERT_TRUE(write_colour_settings(ini.string(), s));
    EXPECT_EQ(file_bytes(ini), "[a]\r\nb=1\nc=2\r\nlast=3\r\n[" + section + "]\r\n" + gbk("软件界面类型") + "=2\r\n" +
                                   gbk("软件界面边框") + "=0\r\n" + gbk("软件界面颜色") + "=16711681\r\n" +
                                   gbk("主窗口透明度") + "=130\r\n");
    EXPECT_FALSE(write_colour_settings((dir.path() / "missing" / "quillaret.ini").string(), s));
}

// The host owns the file: its permissions, a link to it and its other names stay, and what cannot
// be read (here a link that points at itself) is not replaced by our four keys.
TEST_F(ColourWindowTest, RewritingKeepsModeAndLinkAndLeavesAnUnreadableFile) {
    const fs::path real = dir / "real.ini";
    std::ofstream(real, std::ios::binary) << "[host]\nown=1\n";
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("real.ini", ini);
    ASSERT_TRUE(write_colour_settings(ini.string(), s));
    const std::string head = "[host]\nown=1\n[" + gbk("Lorun音效器") + "]\n";
    EXPECT_EQ(std::tuple(fs::is_symlink(fs::symlink_status(ini)), file_bytes(real).substr(0, head.size()),
                         fs::status(real).permissions(), dir.entries()),
              std::tuple(true, head, fs::perms::owner_read | fs::perms::owner_write, 2));

    fs::remove(ini);
    fs::create_symlink("quillaret.ini", ini);
    EXPECT_FALSE(write_colour_settings(ini.string(), s));
    EXPECT_EQ(fs::read_symlink(ini), "quillaret.ini");

    // A FIFO is not opened (the save would block on it); a hard link's other name sees the new text; a
    // byte-order mark stays in front, and the section behind it is the one the keys go into.
    fs::remove(ini);
    ASSERT_EQ(mkfifo(ini.c_str(), 0600), 0);
    EXPECT_FALSE(write_colour_settings(ini.string(), s));
    fs::remove(ini);
    const std::string bom = "\xEF\xBB\xBF", section = bom + "[" + gbk("Lorun音效器") + "]\r\n";
    std::ofstream(real, std::ios::binary) << section << gbk("主窗口透明度") << "=1\r\n";
    fs::create_hard_link(real, ini);
    ASSERT_TRUE(write_colour_settings(ini.string(), s));
    EXPECT_EQ(file_bytes(real), section + gbk("主窗口透明度") + "=255\r\n" + gbk("软件界面类型") + "=2\r\n" +
                                    gbk("软件界面边框") + "=0\r\n" + gbk("软件界面颜色") + "=412770\r\n");
}

// Through the editor: re-colouring reaches the chain page's switched-off rows, alpha (120 and up)
// is previewed while dragged and reaches the editor only while transparency is enabled, and the
// window's save writes beside the host.
class ColourEditorTest : public test::Session {
protected:
    void SetUp() override { test::headless().host_dir_override = dir.path().string(), Session::SetUp(); }
    void TearDown() override { Session::TearDown(), test::headless().host_dir_override.clear(); }
    test::ScratchDir dir;
};

TEST_F(ColourEditorTest, ReleaseRecoloursRowsAlphaFollowsWintranAndSaveWritesTheFile) {
    Editor& ed = editor();
    for (const bool on : {true, false}) ed.chain.on_switch_clicked(kCompressor, on);  // painted as switched off
    ed.colours.toggle_window();
    EXPECT_TRUE(ed.colours.window.shown);
    ed.colours.window.on_channel_moved(0, 200);
    const ChainRow* row = &ed.chain.rows[kCompressor - 1];  // the chain as it starts: types in order
    ASSERT_EQ(row->type(), kCompressor);
    // Switched off: "序号" on the main colour, "音效名称" in 0x0000FFFF.
    EXPECT_EQ(std::tuple(row->cells[0].back_colour, row->cells[1].text_colour), std::tuple(kDefaultMainColour, 0x0000FFFFu));
    ed.colours.window.on_channel_released();
    EXPECT_EQ(std::tuple(row->cells[0].back_colour, row->cells[2].back_colour),
              std::tuple(rgb(200, 76, 98), rgb(214, 90, 112)));

    vemomix_set_wintran(0);
    ed.colours.window.on_alpha_moved(150);
    ed.colours.window.on_alpha_released();
    EXPECT_EQ(std::tuple(ed.colours.scheme.window_alpha, ed.editor_alpha), std::tuple(150, 255));
    vemomix_set_wintran(1);
    ed.colours.window.on_alpha_moved(60);  // the slider stops at 120
    EXPECT_EQ(std::tuple(ed.colour_window_alpha, ed.colours.scheme.window_alpha), std::tuple(120, 150));
    ed.colours.window.on_alpha_released();
    EXPECT_EQ(std::tuple(ed.colour_window_alpha, ed.editor_alpha), std::tuple(255, 120));

    ed.colours.save();
    EXPECT_FALSE(ed.colours.window.shown);
    EXPECT_NE(file_bytes(dir / "quillaret.ini").find(gbk("软件界面颜色") + "=13126754\r\n"), std::string::npos);
}

// The pages' texts read 4.5:1 on their grounds whatever the main colour, the equaliser's four
// label colours included (contrast of white on black 21:1, of pure blue on white 8.6:1).
TEST(PageColours, EveryTextReadsOnItsGround) {
    EXPECT_NEAR(contrast(0, rgb(255, 255, 255)), 21.0, 1e-9);
    EXPECT_NEAR(contrast(rgb(0, 0, 255), rgb(255, 255, 255)), 8.59, 0.01);
    for (const Colour main : {kDefaultMainColour, 0x00383808u, 0x00084808u, 0x00083848u, 0x00480808u, rgb(255, 255, 255),
                              Colour{0}, rgb(128, 128, 128), rgb(255, 255, 0), rgb(250, 10, 30)}) {
        ColourScheme s;
        s.set_main_colour(main);
        const PageColours p = page_colours(s);
        for (const auto& [text, ground] : {std::pair{p.label, p.plate}, {p.value, p.plate}, {p.outside, p.plate},
                                           {p.heading, main}, {p.chooser, main}})
            EXPECT_GE(contrast(text, ground), kMinTextContrast) << std::hex << main << " " << text;
        for (const Colour band : {0x0020FF20u, 0x00FF0000u, 0x000000FFu, 0x00FFFFFFu})
            EXPECT_GE(contrast(band, band_label_ground(p, band)), kMinTextContrast) << std::hex << main << " " << band;
    }
    // The page's own colours stay where they read: the default scheme keeps yellow in the combo box.
    EXPECT_EQ(page_colours(ColourScheme{}).chooser, rgb(255, 255, 0));
}

}  // namespace
}  // namespace vemo
