// The chain walk: rows in order, at most sixteen, each stage only when its flag is exactly 1.
#include "test_support.h"

namespace vemo::test {
namespace {

class ChainWalk : public Session {};

TEST_F(ChainWalk, MovingRowsRepublishesTheOrder) {
    editor().select_row(14);  // type 15
    editor().move_selected_up();
    EXPECT_EQ(editor().chain.selected_row, 13);
    EXPECT_EQ(published_chain()[13], 15);
    EXPECT_EQ(published_chain()[14], 14);
    editor().move_selected_down();
    editor().move_selected_down();
    editor().move_selected_down();  // the bottom row cannot go further down
    EXPECT_EQ(editor().chain.selected_row, 15);
    EXPECT_EQ(published_chain()[15], 15);
    EXPECT_EQ(published_chain()[14], 16);
    EXPECT_EQ(editor().chain.rows[15].cells[0].back_colour, kSystemColour);  // a moved row starts over
    editor().select_row(0);
    editor().move_selected_up();  // nor the top row further up
    EXPECT_EQ(published_chain()[0], 1);
}

TEST_F(ChainWalk, OnlyTheFirstSixteenRowsRunAndOnlyFlagOne) {
    EffectSettings s = current();
    std::memset(s.chain_order, 0, sizeof s.chain_order);
    for (int i = 0; i < 16; ++i) s.chain_order[i] = 2;  // compressor, switched off
    s.chain_order[16] = 15;                              // row 16: never runs
    s.invert_enabled = 1;
    vemomix_set(s);
    EXPECT_EQ(editor().chain.rows.size(), 17u);
    int16_t buf[4] = {1000, -1000, 5, 6};
    vemomix_change(buf, sizeof buf);
    EXPECT_EQ(buf[0], 1000);
    EXPECT_EQ(buf[1], -1000);

    start();
    engine().enabled[kPhaseInvert].store(2);
    vemomix_change(buf, sizeof buf);
    EXPECT_EQ(buf[0], 1000);
    engine().enabled[kPhaseInvert].store(1);
    vemomix_change(buf, sizeof buf);
    EXPECT_EQ(buf[0], -1000);
}

TEST_F(ChainWalk, SwitchColoursTheRowWhereverItStands) {
    editor().select_row(6);  // type 7
    editor().move_selected_up();
    const ChainRow& row = editor().chain.rows[5];
    ASSERT_EQ(row.type(), 7);
    editor().on_switch_clicked(kEcho, true);
    EXPECT_EQ(row.cells[2].text, "有效");
    EXPECT_EQ(engine().enabled[kEcho].load(), 1);
    for (const auto& c : row.cells) {
        EXPECT_EQ(c.text_colour, 0x00FFFFFFu);
        EXPECT_EQ(c.back_colour, 0x001010FFu);
    }
    editor().on_switch_clicked(kEcho, false);
    EXPECT_EQ(row.cells[2].text, "无效");
    // Text colours, and the main colour lightened by 0, 7 and 14.
    const uint32_t off[3][2] = {{0x00FFFFFFu, kDefaultMainColour}, {0x0000FFFFu, 0x0069530Du}, {0x000000FFu, 0x00705A14u}};
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(row.cells[c].text_colour, off[c][0]) << c;
        EXPECT_EQ(row.cells[c].back_colour, off[c][1]) << c;
    }
}

TEST_F(ChainWalk, LongBuffersAreSlicedLikeTheHostWould) {
    set_record([](EffectSettings& s) { s.invert_enabled = 1; });
    std::vector<int16_t> big(2 * 10000 + 1);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<int16_t>(i * 37 - 20000);
    std::vector<int16_t> sliced = big;
    // One odd trailing byte and one half frame are left alone.
    vemomix_change(big.data(), static_cast<int32_t>(big.size() * 2 + 1));
    for (size_t off = 0; off < 20000; off += 8192)
        vemomix_change(sliced.data() + off, static_cast<int32_t>(std::min<size_t>(8192, 20000 - off) * 2));
    EXPECT_EQ(big, sliced);
    EXPECT_EQ(big[20000], static_cast<int16_t>(20000 * 37 - 20000));
}

TEST_F(ChainWalk, LevelsAreCapturedOnlyWhileShown) {
    int16_t buf[8] = {-32768, 256, 511, -300, 0, 0, 1000, 1};
    const auto& lv = engine().levels;
    engine().levels.display_frames = 0;
    vemomix_change(buf, sizeof buf);
    EXPECT_EQ(lv.display_frames, 0);
    vemomix_setdisp(1);
    vemomix_change(buf, sizeof buf);
    EXPECT_EQ(lv.display_frames, 4);
    EXPECT_EQ(lv.left[0], 128);
    EXPECT_EQ(lv.right[0], 1);
    EXPECT_EQ(lv.left[1], 1);
    EXPECT_EQ(lv.right[1], 1);
    EXPECT_EQ(lv.left[3], 3);
    start(44100, 1, 1);
    vemomix_change(buf, sizeof buf);
    EXPECT_EQ(lv.display_frames, 8);
    EXPECT_EQ(lv.right[0], 0);
    EXPECT_EQ(lv.left[1], 1);
    EXPECT_EQ(lv.width, 414);
}

}  // namespace
}  // namespace vemo::test
