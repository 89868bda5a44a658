// The exports' call-order rules: what calls out of order leave alone, and what the editor and
// engine see.  The Windows hosts check only what needs Windows: renders through the DLL's export
// table, and the editor from its own resources.
#include <functional>
#include <set>
#include <vector>

#include "test_support.h"

namespace vemo::test {
namespace {

class Exports : public Session {};

// First in the file: it looks at the value a freshly loaded library starts with.
TEST(ExportsBeforeBegin, WintranStartsOnAndFollowsTheSign) {
    EXPECT_EQ(vemomix_get_wintran(), 1);
    for (auto [value, want] : {std::pair{0, -1}, {-5, -1}, {3, 1}}) {
        vemomix_set_wintran(value);
        EXPECT_EQ(vemomix_get_wintran(), want) << value;
    }
}

// Before begin, after close, and between begin and init nothing runs and nothing is written:
// buffers pass untouched, vemomix_get leaves the record, no editor shows.
TEST(ExportsBeforeBegin, NothingRunsAndNothingIsWritten) {
    auto inert = [](const char* when) {
        std::vector<int16_t> buf(512);
        for (size_t i = 0; i < buf.size(); ++i) buf[i] = static_cast<int16_t>(i * 37);
        const std::vector<int16_t> orig = buf;
        EffectSettings got, fill;
        std::memset(&got, 0xA5, sizeof got);
        std::memset(&fill, 0xA5, sizeof fill);
        vemomix_get(&got);
        EXPECT_EQ(vemomix_change(buf.data(), 256), 256) << when;
        EXPECT_TRUE(buf == orig && !std::memcmp(&got, &fill, sizeof got) && vemomix_get_dispstatus() == 0) << when;
    };
    vemomix_close();
    inert("before begin");
    EffectSettings s{};
    s.invert_enabled = 1;
    s.chain_order[0] = 15;
    vemomix_set(s);
    vemomix_get(nullptr);
    vemomix_setdisp(1);
    vemomix_datarefresh();
    inert("after set, setdisp and datarefresh before begin");
    vemomix_close();
    vemomix_close();
    inert("after close twice");
    vemomix_begin();
    inert("after begin, before init");
    vemomix_close();
}

TEST(ExportsBeforeBegin, SwitchesOnlyStoreTheFlag) {
    vemomix_close();
    vemomix_setiir(2);
    vemomix_setecho(1);
    EXPECT_EQ(std::tuple(engine().enabled[kGraphicEq].load(), engine().enabled[kEcho].load()), std::tuple(2, 1));
    vemomix_setiir(0);
    vemomix_setecho(0);
}

TEST_F(Exports, DisplayFlagShowsTheEditorOnlyForOne) {
    const int created = headless().windows_created;
    vemomix_setdisp(1);
    EXPECT_TRUE(headless().visible);
    vemomix_setdisp(7);  // stored as given, but only 1 shows the editor
    EXPECT_EQ(std::tuple(headless().visible, vemomix_get_dispstatus()), std::tuple(false, 7));
    // A second begin makes no new editor and hides the one there is.
    vemomix_setdisp(1);
    vemomix_begin();
    EXPECT_EQ(std::tuple(headless().windows_created, headless().visible), std::tuple(created, false));
    start(48000, 1, 1);
    EXPECT_TRUE(headless().visible);
}

// The chain page's bottom buttons each display mode shows, whichever mode came before.
TEST_F(Exports, EachDisplayModeShowsItsButtons) {
    auto shown = [] {
        std::string out;
        for (const Button& b : editor().button_set)
            if (b.visible) out += b.caption + " ";
        return out;
    };
    vemomix_setdisp(1);
    EXPECT_EQ(shown(), "关闭 ");  // showing the editor leaves play hidden
    const char* sets[] = {"关闭 播放 ", "放弃 确认 播放 停止 ", "载入 保存 "};
    for (int mode : {0, 1, 2, 1, 0}) {
        vemomix_set_dispmode(mode);
        EXPECT_EQ(shown(), sets[mode]) << mode;
    }
}

// Every action asks the windows showing what it changed to repaint, and no others.
TEST_F(Exports, EachActionRepaintsWhatItChanged) {
    using P = ModelPart;
    Editor& ed = editor();
    EffectSettings s = current();
    const std::pair<std::function<void()>, std::set<P>> actions[] = {
        {[&] { ed.select_tab(1); }, {P::kMainWindow}},
        {[&] { ed.on_editor_command(kCmdRecolour, 0); }, {P::kColours, P::kChainPage}},
        {[&] { ed.on_editor_command(kCmdPreviewAlpha, 130); }, {P::kColours}},
        {[&] { ed.on_editor_command(kCmdFrame, kFrameHide); }, {P::kColours}},
        {[&] { ed.on_editor_command(kCmdResetBandRanges, 0); }, {P::kEqPage}},
        {[&] { ed.eq.on_band_slider(3, 10); }, {P::kEqPage}},
        {[&] { ed.chain.select_row(4), ed.chain.move_selected(1); }, {P::kChainPage}},
        {[&] { vemomix_setecho(1); }, {P::kChainPage, P::kParamPage}},
        {[&] { vemomix_set_dispmode(2); }, {P::kChainPage}},
        {[&] { vemomix_set(s); }, {P::kChainPage, P::kEqPage, P::kParamPage}},
    };
    for (size_t i = 0; i < std::size(actions); ++i) {
        headless().repaints = {};
        actions[i].first();
        std::set<P> repainted;
        for (size_t part = 0; part < headless().repaints.size(); ++part)
            if (headless().repaints[part] > 0) repainted.insert(static_cast<P>(part));
        EXPECT_EQ(repainted, actions[i].second) << i;
    }
}

TEST_F(Exports, SetiirAndSetechoTickTheSwitchOnlyForOne) {
    vemomix_setiir(2);
    const bool at_two = editor().chain.switches[kGraphicEq].checked;
    vemomix_setiir(1), vemomix_setecho(1);
    EXPECT_EQ(std::tuple(at_two, editor().chain.switches[kGraphicEq].checked, editor().chain.switches[kEcho].checked),
              std::tuple(false, true, true));
}

TEST_F(Exports, InitAgainResetsFormatFlagsAndChain) {
    vemomix_setiir(1);
    editor().chain.on_switch_clicked(kReverb, true);
    editor().chain.select_row(5);
    editor().chain.move_selected(-1);
    vemomix_init(44100, 3, 0);  // channel counts outside 1..2 are refused
    vemomix_init(44100, 0, 0);
    EXPECT_EQ(engine().channels, 2);
    editor().select_tab(2);
    vemomix_init(44100, 2, 0);  // the editor comes back on its first tab
    EXPECT_EQ(editor().current_tab, 0);
    start(22050, 1, 0);
    EXPECT_EQ(std::tuple(engine().rate, engine().channels), std::tuple(22050, 1));
    std::vector<int> expected, flags;
    for (int t = 1; t <= 16; ++t) expected.push_back(t), flags.push_back(engine().enabled[t].load());
    EXPECT_EQ(std::tuple(flags, chain_types(), published_chain()), std::tuple(std::vector<int>(16, 0), expected, expected));
}

// At a rate without equaliser tables records are refused whole, the equaliser switch is greyed
// out, and the other switches still run their effects.
TEST_F(Exports, UnsupportedRateRefusesRecordsAndLeavesOnlyTheEqualiserOut) {
    start(32000, 2, 0);
    const EffectSettings before = current();
    EffectSettings s = before;
    s.invert_enabled = 1;
    s.comp_threshold_db = -40;
    s.chain_order[0] = 9;
    vemomix_set(s);
    const EffectSettings after = current();
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    EXPECT_EQ(engine().enabled[kPhaseInvert].load(), 0);
    EXPECT_EQ(std::tuple(editor().chain.switches[kGraphicEq].enabled, editor().chain.switches[kPhaseInvert].enabled),
              std::tuple(false, true));
    editor().chain.on_switch_clicked(kPhaseInvert, true);
    int16_t buf[4] = {100, -200, 300, -32768};
    vemomix_change(buf, sizeof buf);
    EXPECT_EQ(std::tuple(buf[0], buf[1], buf[3], engine().rate), std::tuple(-100, 200, -32768, 32000));
    start(44100, 2, 0);
    EXPECT_TRUE(editor().chain.switches[kGraphicEq].enabled);
}

TEST_F(Exports, DatarefreshKeepsEverySetting) {
    EffectSettings s = current();
    s.invert_enabled = s.chorus_enabled = 1;
    s.comp_threshold_db = -30;
    s.chain_order[0] = 11;
    vemomix_set(s);
    const EffectSettings before = current();
    std::vector<int16_t> pcm = noise(2 * 4096);
    change(pcm);
    vemomix_datarefresh();
    const EffectSettings after = current();
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
}

TEST_F(Exports, CloseKeepsOnlyEqualiserAndEchoFlagsAndTheEditorGoes) {
    vemomix_setiir(1);
    vemomix_setecho(1);
    editor().chain.on_switch_clicked(kChorus, true);
    vemomix_close();
    EXPECT_EQ(std::tuple(engine().enabled[kGraphicEq].load(), engine().enabled[kEcho].load(),
                         engine().enabled[kChorus].load(), editor().exists()),
              std::tuple(1, 1, 0, false));
}

}  // namespace
}  // namespace vemo::test
