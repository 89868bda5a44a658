// The exports' call-order rules and their tolerance of bad input.
#include <vector>

#include "test_support.h"

namespace vemo::test {
namespace {

TEST(ExportsBeforeBegin, EveryCallIsHarmless) {
    vemomix_close();
    std::vector<int16_t> buf(64, 1234);
    const std::vector<int16_t> orig = buf;
    EXPECT_EQ(vemomix_change(buf.data(), 128), 128);
    EXPECT_EQ(buf, orig);
    EffectSettings s{};
    s.chain_order[0] = 15;
    s.invert_enabled = 1;
    vemomix_set(s);
    vemomix_get(&s);
    vemomix_get(nullptr);
    vemomix_setdisp(1);
    EXPECT_EQ(vemomix_get_dispstatus(), 0);
    vemomix_datarefresh();
    vemomix_setlevel();
    vemomix_close();
    vemomix_close();
    EXPECT_EQ(vemomix_change(buf.data(), 128), 128);
    EXPECT_EQ(buf, orig);
}

TEST(ExportsBeforeBegin, SwitchesOnlyStoreTheFlag) {
    vemomix_close();
    vemomix_setiir(2);
    EXPECT_EQ(engine().enabled[kGraphicEq].load(), 2);
    vemomix_setecho(1);
    EXPECT_EQ(engine().enabled[kEcho].load(), 1);
    vemomix_setiir(0);
    vemomix_setecho(0);
}

TEST(Wintran, PositiveMeansEnabled) {
    vemomix_set_wintran(1);
    EXPECT_EQ(vemomix_get_wintran(), 1);
    vemomix_set_wintran(0);
    EXPECT_EQ(vemomix_get_wintran(), -1);
    vemomix_set_wintran(-5);
    EXPECT_EQ(vemomix_get_wintran(), -1);
    vemomix_set_wintran(3);
    EXPECT_EQ(vemomix_get_wintran(), 1);
}

class Exports : public Session {};

TEST_F(Exports, DisplayFlagFollowsSetdispInitAndBegin) {
    const int created = headless().windows_created;
    vemomix_setdisp(1);
    EXPECT_EQ(vemomix_get_dispstatus(), 1);
    EXPECT_TRUE(headless().visible);
    vemomix_setdisp(7);  // stored as given, but only 1 shows the editor
    EXPECT_FALSE(headless().visible);
    EXPECT_EQ(vemomix_get_dispstatus(), 7);
    // A second begin makes no new editor and hides the one there is.
    vemomix_begin();
    EXPECT_EQ(headless().windows_created, created);
    EXPECT_FALSE(headless().visible);
    EXPECT_EQ(vemomix_get_dispstatus(), 0);
    start(48000, 1, 1);
    EXPECT_EQ(vemomix_get_dispstatus(), 1);
    EXPECT_TRUE(headless().visible);
}

TEST_F(Exports, SetiirStoresAnyValueButOnlyOneMeansOn) {
    vemomix_setiir(2);
    EXPECT_EQ(engine().enabled[kGraphicEq].load(), 2);
    EXPECT_FALSE(editor().chain.switches[kGraphicEq].checked);
    vemomix_setiir(1);
    EXPECT_TRUE(editor().chain.switches[kGraphicEq].checked);
    vemomix_setecho(1);
    EXPECT_TRUE(editor().chain.switches[kEcho].checked);
    EXPECT_EQ(current().echo_enabled, 1);
}

TEST_F(Exports, ChangeReturnsItsByteCountWhateverItGets) {
    std::vector<int16_t> buf(9000, -77);
    const std::vector<int16_t> orig = buf;
    EXPECT_EQ(vemomix_change(buf.data(), 0), 0);
    EXPECT_EQ(vemomix_change(buf.data(), 1), 1);
    EXPECT_EQ(vemomix_change(buf.data(), 3), 3);
    EXPECT_EQ(vemomix_change(buf.data(), -4), -4);
    EXPECT_EQ(vemomix_change(nullptr, 400), 400);
    EXPECT_EQ(vemomix_change(buf.data(), 18000), 18000);
    EXPECT_EQ(vemomix_change(buf.data(), 17999), 17999);
    // Every effect is off after init: bit for bit unchanged.
    EXPECT_EQ(buf, orig);
}

TEST_F(Exports, InitTwiceResetsFlagsAndChain) {
    vemomix_setiir(1);
    editor().on_switch_clicked(kReverb, true);
    editor().select_row(5);
    editor().move_selected_up();
    start(22050, 1, 0);
    EXPECT_EQ(engine().rate, 22050);
    EXPECT_EQ(engine().channels, 1);
    for (int t = 1; t <= 16; ++t) EXPECT_EQ(engine().enabled[t].load(), 0) << t;
    std::vector<int> expected;
    for (int t = 1; t <= 16; ++t) expected.push_back(t);
    EXPECT_EQ(chain_types(), expected);
    EXPECT_EQ(published_chain(), expected);
}

TEST_F(Exports, UnsupportedRateLeavesOnlyTheEqualiserOut) {
    start(32000, 1, 0);
    EXPECT_FALSE(editor().chain.switches[kGraphicEq].enabled);
    EXPECT_TRUE(editor().chain.switches[kPhaseInvert].enabled);
    editor().on_switch_clicked(kPhaseInvert, true);
    int16_t buf[4] = {100, -200, 300, -32768};
    vemomix_change(buf, sizeof buf);
    EXPECT_EQ(buf[0], -100);
    EXPECT_EQ(buf[1], 200);
    EXPECT_EQ(buf[3], -32768);
    EXPECT_EQ(engine().rate, 32000);
    start(44100, 2, 0);
    EXPECT_TRUE(editor().chain.switches[kGraphicEq].enabled);
}

TEST_F(Exports, DatarefreshChangesNoSetting) {
    EffectSettings s = current();
    s.invert_enabled = 1;
    s.comp_enabled = 1;
    s.comp_threshold_db = -30;
    vemomix_set(s);
    const EffectSettings before = current();
    vemomix_datarefresh();
    const EffectSettings after = current();
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
}

TEST_F(Exports, CloseKeepsOnlyEqualiserAndEchoFlags) {
    vemomix_setiir(1);
    vemomix_setecho(1);
    editor().on_switch_clicked(kChorus, true);
    vemomix_setdisp(1);
    vemomix_close();
    EXPECT_EQ(engine().enabled[kGraphicEq].load(), 1);
    EXPECT_EQ(engine().enabled[kEcho].load(), 1);
    EXPECT_EQ(engine().enabled[kChorus].load(), 0);
    EXPECT_EQ(vemomix_get_dispstatus(), 0);
    EXPECT_FALSE(editor().exists());
    // A new begin starts again; processing waits for the next init.
    vemomix_begin();
    int16_t buf[2] = {5, 6};
    vemomix_change(buf, sizeof buf);
    EXPECT_EQ(buf[0], 5);
}

TEST_F(Exports, InitRejectsChannelCountsOutsideTheDesign) {
    vemomix_init(44100, 3, 0);
    EXPECT_EQ(engine().channels, 2);
    vemomix_init(44100, 0, 0);
    EXPECT_EQ(engine().channels, 2);
}

}  // namespace
}  // namespace vemo::test
