// The noise gate: one state through both channels, hold, linear release and attack.
#include <memory>
#include <vector>

#include "effects/noise_gate.h"
#include "test_support.h"

namespace vemo::test {
namespace {

struct GateRig {
    NoiseGate fx;
    std::vector<float> work = std::vector<float>(kMaxFrames);
    int channels;
    GateRig(int ch, NoiseGateParams p) : channels(ch) { fx.params = p; }
    std::vector<int16_t> run(std::vector<int16_t> pcm) {
        const int frames = static_cast<int>(pcm.size()) / channels;
        StageContext ctx{44100, channels, frames, frames * channels, 1.0f, work.data()};
        denoise_process(fx, pcm.data(), ctx);
        return pcm;
    }
};

TEST(NoiseGate, BothLevelsZeroIsTransparent) {
    GateRig rig(2, {0, 3, 10, 0, 0});
    rig.fx.state.release_gain = 0.25f;  // mid-fade from earlier settings
    std::vector<int16_t> pcm = {0, 0, 1, -1, 32767, -32768, 0, 5, 0, 0, 0, 0};
    EXPECT_EQ(rig.run(pcm), pcm);
    EXPECT_EQ(rig.fx.state.release_gain, 1.0f);
}

TEST(NoiseGate, HoldThenLinearRelease) {
    // Open at 100, hold 2 samples, release over 4.
    GateRig rig(1, {100, 2, 4, 0, 100});
    const auto out = rig.run({1000, 50, 1000, 10, 10, 10, 10, 10, 10, 10, 10});
    // Loud, quiet (held), loud again, then hold 1 of 2, hold reached: 3/4, 2/4, 1/4, 0, 0 ...
    EXPECT_EQ(out, (std::vector<int16_t>{1000, 50, 1000, 10, 7, 5, 2, 0, 0, 0, 0}));
    EXPECT_EQ(rig.fx.state.open, 0);
    EXPECT_EQ(rig.fx.state.release_count, 4u);
    // Closed: a sample under the open level stays muted, one at it opens at full gain (attack 0).
    EXPECT_EQ(rig.run({99, 100, 99}), (std::vector<int16_t>{0, 100, 99}));
}

TEST(NoiseGate, ReleaseZeroMutesAtOnceAfterTheHold) {
    GateRig rig(1, {100, 3, 0, 0, 100});
    EXPECT_EQ(rig.run({500, 40, 40, 40, 40, 500, 40}), (std::vector<int16_t>{500, 40, 40, 0, 0, 500, 40}));
}

TEST(NoiseGate, AttackRampsOncePerOpening) {
    GateRig rig(1, {100, 0, 0, 4, 100});
    // Ramp 1/4 .. 4/4, then full; a quiet sample closes (hold 0, release 0) and resets the ramp.
    EXPECT_EQ(rig.run({400, 400, 400, 400, 400, 0, 400, 400}),
              (std::vector<int16_t>{100, 200, 300, 400, 400, 0, 100, 200}));
    EXPECT_EQ(rig.fx.state.attack_count, 2u);
}

TEST(NoiseGate, ChannelOneContinuesFromChannelZero) {
    // Stereo, hold 2, release 2: channel 0 is silent throughout and finishes the release, so
    // channel 1 starts muted although nothing in its own samples was quiet yet... then opens.
    GateRig rig(2, {100, 2, 2, 0, 100});
    const auto out = rig.run({0, 50, 0, 50, 0, 500, 0, 50});
    EXPECT_EQ(out, (std::vector<int16_t>{0, 0, 0, 0, 0, 500, 0, 50}));
    // A loud buffer from the muted state: channel 0 opens at once, channel 1 follows it open.
    GateRig quiet_then_loud(2, {100, 2, 2, 0, 100});
    quiet_then_loud.run(std::vector<int16_t>(2 * 10, 0));
    EXPECT_EQ(quiet_then_loud.fx.state.release_gain, 0.0f);
    EXPECT_EQ(quiet_then_loud.run({300, 300, 300, 300}), (std::vector<int16_t>{300, 300, 300, 300}));
}

TEST(NoiseGate, CloseLevelAboveOpenLevel) {
    // Open at 100, close below 1000, hold 0, release 4: a steady 500 opens the closed gate, and
    // the open gate closes on the next sample, so full gain and the first release step alternate.
    GateRig rig(1, {100, 0, 4, 0, 1000});
    EXPECT_EQ(rig.run({500, 500, 500, 500, 500}), (std::vector<int16_t>{500, 375, 500, 375, 500}));
    EXPECT_EQ(rig.fx.state.open, 1);
}

TEST(NoiseGate, NegativeLengthsCountAsVeryLong) {
    GateRig rig(1, {100, -1, -1, -1, 100});
    const auto out = rig.run({500, 500, 10, 10, 10});
    // The attack ramp is 2^32 - 1 samples long and the hold never ends.
    EXPECT_EQ(out, (std::vector<int16_t>{0, 0, 0, 0, 0}));
    EXPECT_EQ(rig.fx.state.attack_count, 2u);
    EXPECT_EQ(rig.fx.state.hold_count, 3u);
    GateRig release(1, {100, 0, -2, 0, 100});
    EXPECT_EQ(release.run({500, 10, 10}), (std::vector<int16_t>{500, 10, 10}));
    EXPECT_EQ(release.fx.state.release_count, 2u);
    EXPECT_EQ(release.fx.state.release_gain, float(4294967292.0 / 4294967294.0));
}

class NoiseGateSession : public Session {};

TEST_F(NoiseGateSession, DefaultsFollowRateTimesChannels) {
    EffectSettings s = current();
    EXPECT_EQ(s.denoise_open_level, 500);
    EXPECT_EQ(s.denoise_close_level, 410);
    EXPECT_EQ(s.denoise_hold, 176);  // 44100 * 2 * 2 / 1000
    EXPECT_EQ(s.denoise_release, 44100);
    EXPECT_EQ(s.denoise_attack, 0);
    start(22050, 1, 0);
    s = current();
    EXPECT_EQ(s.denoise_hold, 44);
    EXPECT_EQ(s.denoise_release, 11025);
}

TEST_F(NoiseGateSession, StateOutlivesInitAndRecords) {
    EffectSettings s = current();
    s.denoise_enabled = 1;
    s.denoise_hold = 0;
    s.denoise_release = 0;
    vemomix_set(s);
    int16_t quiet[4] = {5, 5, 5, 5};
    vemomix_change(quiet, sizeof quiet);
    EXPECT_EQ(quiet[3], 0);
    ASSERT_EQ(engine().denoise.state.release_gain, 0.0f);
    start(44100, 2, 0);
    vemomix_set(s);
    EXPECT_EQ(engine().denoise.state.release_gain, 0.0f);
    int16_t still[2] = {400, 400};  // under the open level of the muted gate
    vemomix_change(still, sizeof still);
    EXPECT_EQ(still[0], 0);
}

}  // namespace
}  // namespace vemo::test
