// The noise gate: one state through both channels, hold, linear release and attack.
#include "effects/denoise.h"
#include "test_support.h"

namespace vemo::test {
namespace {

using V = std::vector<int16_t>;

TEST(Denoise, SampleBySample) {
    struct Row {
        const char* what;
        int channels;
        DenoiseParams p;  // open level, hold, release, attack, close level
        V warm, in, out;
        int open = -1;  // the state afterwards, where not -1
        int64_t attack = -1, hold = -1, release = -1;
        float gain = -1;
    };
    const Row rows[] = {
        // The first row starts mid-fade: both levels 0 make the gate transparent and end the fade.
        {"levels 0", 2, {0, 3, 10, 0, 0}, {}, {0, 0, 1, -1, 32767, -32768, 0, 5}, {0, 0, 1, -1, 32767, -32768, 0, 5}},
        // Loud, quiet (held), loud, hold 1 of 2, hold reached: 3/4, 2/4, 1/4, 0.
        {"hold, release", 1, {100, 2, 4, 0, 100}, {}, {1000, 50, 1000, 10, 10, 10, 10, 10, 10, 10},
         {1000, 50, 1000, 10, 7, 5, 2, 0, 0, 0}, 0, -1, -1, 4},
        // Closed: under the open level stays muted, at it opens at full gain.
        {"closed", 1, {100, 2, 4, 0, 100}, {1000, 10, 10, 10, 10, 10, 10, 10}, {99, 100, 99}, {0, 100, 99}},
        {"release 0: muted after the hold", 1, {100, 3, 0, 0, 100}, {}, {500, 40, 40, 40, 40, 500, 40},
         {500, 40, 40, 0, 0, 500, 40}},
        {"attack 1/4..4/4, restarted on closing", 1, {100, 0, 0, 4, 100}, {}, {400, 400, 400, 400, 400, 0, 400, 400},
         {100, 200, 300, 400, 400, 0, 100, 200}, -1, 2},
        // Channel 0 finishes the release, so channel 1 starts muted; then it opens.
        {"carried over", 2, {100, 2, 2, 0, 100}, {}, {0, 50, 0, 50, 0, 500, 0, 50}, {0, 0, 0, 0, 0, 500, 0, 50}},
        {"muted: both open at once", 2, {100, 2, 2, 0, 100}, V(20, 0), {300, 300, 300, 300}, {300, 300, 300, 300}},
        // Close level above the open level: full gain and the first release step alternate.
        {"close above open", 1, {100, 0, 4, 0, 1000}, {}, {500, 500, 500, 500, 500}, {500, 375, 500, 375, 500}, 1},
        // Negative lengths are unsigned: a 2^32 - 1 sample attack ramp, a hold that never ends.
        {"negative lengths", 1, {100, -1, -1, -1, 100}, {}, {500, 500, 10, 10, 10}, {0, 0, 0, 0, 0}, -1, 2, 3},
        {"negative release", 1, {100, 0, -2, 0, 100}, {}, {500, 10, 10}, {500, 10, 10}, -1, -1, -1, 2,
         float(4294967292.0 / 4294967294.0)},
    };
    for (const Row& r : rows) {
        Denoise fx;
        fx.params = r.p;
        fx.state.release_gain = &r == rows ? 0.25f : 1.0f;
        processed(fx, r.warm, r.channels);
        EXPECT_EQ(processed(fx, r.in, r.channels), r.out) << r.what;
        if (r.open >= 0) { EXPECT_EQ(fx.state.open, r.open) << r.what; }
        if (r.attack >= 0) { EXPECT_EQ(fx.state.attack_count, r.attack) << r.what; }
        if (r.hold >= 0) { EXPECT_EQ(fx.state.hold_count, r.hold) << r.what; }
        if (r.release >= 0) { EXPECT_EQ(fx.state.release_count, r.release) << r.what; }
        if (r.gain >= 0) { EXPECT_EQ(fx.state.release_gain, r.gain) << r.what; }
    }
}

}  // namespace
}  // namespace vemo::test
