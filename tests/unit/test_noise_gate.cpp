// The noise gate: one state through both channels, hold, linear release and attack.
#include "effects/noise_gate.h"
#include "test_support.h"

namespace vemo::test {
namespace {

using V = std::vector<int16_t>;

TEST(NoiseGate, SampleBySample) {
    struct Row {
        const char* what;
        int channels;
        NoiseGateParams p;  // open level, hold, release, attack, close level
        V warm, in, out;
        int open = -1;  // the state afterwards, where not -1
        int64_t attack = -1, hold = -1, release = -1;
        float gain = -1;
    };
    const Row rows[] = {
        {"both levels 0: transparent, and a fade left from earlier settings ends", 2, {0, 3, 10, 0, 0}, {},
         {0, 0, 1, -1, 32767, -32768, 0, 5, 0, 0, 0, 0}, {0, 0, 1, -1, 32767, -32768, 0, 5, 0, 0, 0, 0}},
        {"loud, quiet (held), loud, hold 1 of 2, hold reached: 3/4, 2/4, 1/4, 0", 1, {100, 2, 4, 0, 100}, {},
         {1000, 50, 1000, 10, 10, 10, 10, 10, 10, 10, 10}, {1000, 50, 1000, 10, 7, 5, 2, 0, 0, 0, 0}, 0, -1, -1, 4},
        {"closed: under the open level stays muted, at it opens at full gain", 1, {100, 2, 4, 0, 100},
         {1000, 10, 10, 10, 10, 10, 10, 10}, {99, 100, 99}, {0, 100, 99}},
        {"release 0 mutes at once after the hold", 1, {100, 3, 0, 0, 100}, {}, {500, 40, 40, 40, 40, 500, 40},
         {500, 40, 40, 0, 0, 500, 40}},
        {"attack ramps 1/4 .. 4/4, a closing restarts it", 1, {100, 0, 0, 4, 100}, {},
         {400, 400, 400, 400, 400, 0, 400, 400}, {100, 200, 300, 400, 400, 0, 100, 200}, -1, 2},
        {"channel 0 finishes the release, channel 1 starts muted, then opens", 2, {100, 2, 2, 0, 100}, {},
         {0, 50, 0, 50, 0, 500, 0, 50}, {0, 0, 0, 0, 0, 500, 0, 50}},
        {"muted: channel 0 opens at once, channel 1 follows it open", 2, {100, 2, 2, 0, 100}, V(20, 0),
         {300, 300, 300, 300}, {300, 300, 300, 300}},
        {"close level above open level: full gain and the first release step alternate", 1, {100, 0, 4, 0, 1000}, {},
         {500, 500, 500, 500, 500}, {500, 375, 500, 375, 500}, 1},
        {"negative lengths: a 2^32 - 1 sample attack ramp, a hold that never ends", 1, {100, -1, -1, -1, 100}, {},
         {500, 500, 10, 10, 10}, {0, 0, 0, 0, 0}, -1, 2, 3},
        {"negative release", 1, {100, 0, -2, 0, 100}, {}, {500, 10, 10}, {500, 10, 10}, -1, -1, -1, 2,
         float(4294967292.0 / 4294967294.0)},
    };
    for (const Row& r : rows) {
        NoiseGate fx;
        fx.params = r.p;
        fx.state.release_gain = &r == rows ? 0.25f : 1.0f;  // the first row starts mid-fade
        V warm = r.warm, pcm = r.in;
        run_stage(fx, denoise_process, warm, r.channels);
        run_stage(fx, denoise_process, pcm, r.channels);
        EXPECT_EQ(pcm, r.out) << r.what;
        if (r.open >= 0) { EXPECT_EQ(fx.state.open, r.open) << r.what; }
        if (r.attack >= 0) { EXPECT_EQ(fx.state.attack_count, r.attack) << r.what; }
        if (r.hold >= 0) { EXPECT_EQ(fx.state.hold_count, r.hold) << r.what; }
        if (r.release >= 0) { EXPECT_EQ(fx.state.release_count, r.release) << r.what; }
        if (r.gain >= 0) { EXPECT_EQ(fx.state.release_gain, r.gain) << r.what; }
    }
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
    EXPECT_EQ(current().denoise_hold, 44);
    EXPECT_EQ(current().denoise_release, 11025);
}

}  // namespace
}  // namespace vemo::test
