// The chain walk: rows in order, sixteen at most, flag 1 only, and what controls do to history.
#include <functional>

#include "engine/lifecycle.h"
#include "test_support.h"

namespace vemo::test {
namespace {

using ChainWalk = Session;

TEST_F(ChainWalk, MovingRowsRepublishesTheOrder) {
    editor().chain.select_row(14);  // type 15
    editor().chain.move_selected(-1);
    EXPECT_EQ(std::tuple(editor().chain.selected_row, published_chain()[13], published_chain()[14]), std::tuple(13, 15, 14));
    for (int n = 0; n < 3; ++n) editor().chain.move_selected(1);  // the bottom row cannot go further down
    // A moved row starts over in the system colour.
    EXPECT_EQ(std::tuple(editor().chain.selected_row, published_chain()[14], published_chain()[15],
                         editor().chain.rows[15].cells[0].back_colour),
              std::tuple(15, 16, 15, kSystemColour));
    editor().chain.select_row(0);
    editor().chain.move_selected(-1);  // nor the top row further up
    EXPECT_EQ(published_chain()[0], 1);
}

TEST_F(ChainWalk, OnlyTheFirstSixteenRowsRunAndOnlyFlagOne) {
    set_record([](EffectSettings& s) {
        std::memset(s.chain_order, 0, sizeof s.chain_order);
        std::fill(s.chain_order, s.chain_order + 16, 2);  // compressor, switched off
        s.chain_order[16] = 15;                           // row 16: never runs
        s.invert_enabled = 1;
    });
    int16_t buf[4] = {1000, -1000, 5, 6};
    vemomix_change(buf, sizeof buf);
    EXPECT_EQ(std::tuple(editor().chain.rows.size(), buf[0], buf[1]), std::tuple(17u, 1000, -1000));
    start();
    for (int flag : {2, 1}) {
        engine().enabled[kPhaseInvert].store(flag);
        vemomix_change(buf, sizeof buf);
        EXPECT_EQ(buf[0], flag == 1 ? -1000 : 1000);
    }
}

// A stage handed no frames leaves every byte of the engine as it was.
TEST_F(ChainWalk, NoFramesChangeNoStage) {
    for (int t = 1; t <= kEffectCount; ++t) editor().chain.on_switch_clicked(t, true);
    std::vector<int16_t> pcm = noise(2 * 4096);
    change(pcm);
    const auto* e = reinterpret_cast<const uint8_t*>(&engine());
    const std::vector<uint8_t> before(e, e + sizeof(EngineState));
    std::vector<float> work(kMaxFrames);
    for (int t = 1; t <= kEffectCount; ++t) {
        kEffectOps[t].process(engine().effect(t), pcm.data(), StageContext{44100, 2, 0, 0, work.data()});
        EXPECT_TRUE(std::equal(before.begin(), before.end(), e)) << t;
    }
}

TEST_F(ChainWalk, LevelsAreCapturedOnlyWhileShown) {
    int16_t buf[8] = {-32768, 256, 511, -300, 0, 0, 1000, 1};
    const auto& lv = engine().levels;
    engine().levels.display_frames = 0;
    vemomix_change(buf, sizeof buf);
    EXPECT_EQ(lv.display_frames, 0);
    vemomix_setdisp(1);
    vemomix_change(buf, sizeof buf);
    EXPECT_EQ((std::array<int, 6>{lv.display_frames, lv.left[0], lv.right[0], lv.left[1], lv.right[1], lv.left[3]}),
              (std::array<int, 6>{4, 128, 1, 1, 1, 3}));
    start(44100, 1, 1);
    vemomix_change(buf, sizeof buf);
    EXPECT_EQ(std::tuple(lv.display_frames, lv.right[0], lv.left[1], lv.width), std::tuple(8, 0, 1, 414));
}

// Switching a stage off, vemomix_set, vemomix_datarefresh and vemomix_init (same format) keep
// each part of a stage's history or clear it to 0.
TEST_F(ChainWalk, WhatSwitchingSetRefreshAndInitDoToEachStagesHistory) {
    enum Fate { kKeeps, kClears, kAny };
    auto top = [](const auto& v) { return double(*std::max_element(std::begin(v), std::end(v))); };
    const EngineState& e = engine();
    const struct {
        int type;
        const char* what;
        std::function<double()> probe;
        Fate set, refresh, init;
    } rows[] = {
        {kGraphicEq, "histories", [&] { return e.eq.eq_hist1[3].y[0][0] + e.eq.eq_hist1[3].y[1][0]; }, kClears, kClears,
         kClears},
        {kCompressor, "detector", [&] { return e.comp.comp_env; }, kKeeps, kKeeps, kKeeps},
        {kPitchChanger, "arrays, cleared lazily", [&] { return e.pitch.shifter[1].initialised; }, kClears, kClears,
         kAny},
        {kDistortion, "filter memories", [&] { return e.dist.tone.aux[0][0][1]; }, kClears, kKeeps, kClears},
        {kDistortion, "limited sample", [&] { return e.dist.dist_prev[1]; }, kKeeps, kKeeps, kKeeps},
        {kOverdrive, "node voltage", [&] { return e.odrive.od_v[1]; }, kKeeps, kKeeps, kClears},
        {kAmpMod, "oscillator phase", [&] { return e.am.am_phase; }, kKeeps, kKeeps, kKeeps},
        {kEcho, "write position", [&] { return e.echo.pos1; }, kKeeps, kAny, kAny},
        {kEcho, "buffer", [&] { return top(e.echo.line2); }, kKeeps, kClears, kClears},
        {kDrift, "lines", [&] { return top(e.drift.line[1].buf); }, kClears, kClears, kClears},
        {kDrift, "oscillator phase", [&] { return e.drift.phase; }, kKeeps, kKeeps, kClears},
        {kPhaser, "memories", [&] { return e.phaser.channel[1].y1; }, kKeeps, kKeeps, kKeeps},
        {kPhaser, "oscillator phase", [&] { return e.phaser.channel[1].phase; }, kKeeps, kKeeps, kKeeps},
        {kDenoise, "gate state", [&] { return e.denoise.state.release_count; }, kKeeps, kKeeps, kKeeps},
        {kChorus, "lines", [&] { return top(e.chorus.line[0].buf); }, kClears, kClears, kClears},
        {kReverb, "lines", [&] { return top(e.reverb.channel[1].line); }, kClears, kClears, kClears},
        {kReverb, "write position", [&] { return e.reverb.channel[1].write_pos; }, kKeeps, kKeeps, kKeeps},
        {kWah, "filter memories", [&] { return e.wah.channel[1].mem.y1; }, kClears, kKeeps, kClears},
        {kSuperBass, "filter memories", [&] { return e.bass.channel[1].mem.y1; }, kClears, kKeeps, kClears},
        {kVibrato, "oscillator counter", [&] { return e.vibrato.counter; }, kKeeps, kKeeps, kKeeps},
        {kVibrato, "line positions", [&] { return e.vibrato.channel[1].w; }, kKeeps, kKeeps, kClears},
    };
    // Noise, then a quiet tail that is not silence (the gate is releasing when it ends).
    auto feed = [] {
        std::vector<int16_t> pcm = noise(2 * 4096, 5);
        for (size_t i = 2 * 3000; i < pcm.size(); ++i) pcm[i] = (i / 2) % 3 ? 300 : -300;
        change(pcm);
    };
    for (const auto& r : rows) {
        start();
        editor().chain.on_switch_clicked(r.type, true);
        auto check = [&](Fate fate, const char* op, auto operation) {
            feed();
            const double before = r.probe();
            ASSERT_NE(before, 0.0) << r.what << " of " << r.type << " before " << op;
            operation();
            if (fate != kAny) {
                EXPECT_EQ(r.probe(), fate == kKeeps ? before : 0.0) << r.what << " of " << r.type << " after " << op;
            }
        };
        check(kKeeps, "switching off", [&] {
            editor().chain.on_switch_clicked(r.type, false);
            feed();
            editor().chain.on_switch_clicked(r.type, true);
        });
        check(r.set, "vemomix_set", [] { vemomix_set(current()); });
        check(r.refresh, "vemomix_datarefresh", [] { vemomix_datarefresh(); });
        check(r.init, "vemomix_init", [] { vemomix_init(44100, 2, 0); });
    }
}

}  // namespace
}  // namespace vemo::test
