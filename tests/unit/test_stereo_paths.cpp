// The stereo paths that run both channels of a frame side by side must give, sample for sample
// and bit for bit, what each channel gives on its own through the one-channel path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "effects/distortion.h"
#include "effects/phaser.h"
#include "effects/reverb.h"
#include "effects/super_bass.h"
#include "effects/vibrato.h"
#include "effects/wah.h"
#include "test_support.h"

namespace vemo::test {
namespace {

constexpr int kRate = 44100;
constexpr int kFrames = 6000;
constexpr int kChunk = 1500;  // several calls, so the state carried between them is checked too

// Loud noise with full-scale square bursts and silent stretches; the channels differ.
std::vector<int16_t> programme(uint32_t seed) {
    std::vector<int16_t> pcm(2 * kFrames);
    uint32_t x = seed;
    for (int i = 0; i < kFrames; ++i)
        for (int c = 0; c < 2; ++c) {
            x = x * 1664525u + 1013904223u;
            int v = static_cast<int32_t>(x >> 16) - 32768;
            if ((i / 700 + c) % 4 == 1) v = (i / 40) % 2 ? 32767 : -32768;
            if ((i / 900 + c) % 5 == 3) v = 0;
            pcm[2 * i + c] = static_cast<int16_t>(v);
        }
    return pcm;
}

std::vector<int16_t> channel_of(const std::vector<int16_t>& pcm, int c) {
    std::vector<int16_t> out(pcm.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) out[i] = pcm[2 * i + c];
    return out;
}

// Channel c through a copy of the effect whose first channel holds channel c's state, alone.
template <typename Fx, typename Process>
std::vector<int16_t> alone(const Fx& fx, int c, const std::vector<int16_t>& stereo, Process process,
                           std::unique_ptr<Fx>& copy) {
    copy = std::make_unique<Fx>(fx);
    copy->channel[0] = fx.channel[c];
    std::vector<int16_t> mono = channel_of(stereo, c);
    run_stage(*copy, process, mono, 1, kRate, kChunk);
    return mono;
}

// Runs the stereo programme through fx and each channel alone through its copy; the samples
// must agree, and same_state(stereo channel, alone channel) must hold after it.
template <typename Fx, typename Process, typename SameState>
void expect_channels_alone(Fx& fx, Process process, SameState same_state, uint32_t seed) {
    const std::vector<int16_t> in = programme(seed);
    std::unique_ptr<Fx> copies[2];
    const std::vector<int16_t> expected[2] = {alone(fx, 0, in, process, copies[0]), alone(fx, 1, in, process, copies[1])};
    std::vector<int16_t> out = in;
    run_stage(fx, process, out, 2, kRate, kChunk);
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(channel_of(out, c), expected[c]) << "channel " << c;
        EXPECT_TRUE(same_state(fx.channel[c], copies[c]->channel[0])) << "channel " << c;
    }
}

bool same_bits(const void* a, const void* b, size_t n) { return std::memcmp(a, b, n) == 0; }

TEST(StereoPaths, PhaserSharedAndSeparateSweeps) {
    auto same = [](const PhaserChannel& a, const PhaserChannel& b) {
        bool ok = same_bits(&a.phase, &b.phase, 4) && same_bits(&a.y1, &b.y1, 4);
        for (int s = 0; s < 6; ++s) ok = ok && same_bits(&a.stages[s], &b.stages[s], sizeof a.stages[s]);
        return ok;
    };
    Phaser fx;
    phaser_init(fx, kRate, 2);
    fx.params = {200, 3000, 700, 95, 7};
    phaser_configure(fx, kRate, 2);
    expect_channels_alone(fx, phaser_process, same, 1);  // both channels on one sweep
    fx.channel[1].phase = 2.5f;                          // as after a mono stretch
    fx.channel[1].fb = -0.4f;
    expect_channels_alone(fx, phaser_process, same, 2);
}

TEST(StereoPaths, WahCountsItsRedesignsPerChannel) {
    auto same = [](const WahChannel& a, const WahChannel& b) { return same_bits(&a, &b, sizeof a); };
    Wah fx;
    wah_init(fx, kRate, 2);
    fx.params = {40, 30, 100, 100};
    wah_configure(fx, kRate, 2);
    expect_channels_alone(fx, wah_process, same, 3);
    fx.channel[1].n += 17;  // redesigns fall on other samples than channel 0's
    expect_channels_alone(fx, wah_process, same, 4);
}

TEST(StereoPaths, SuperBass) {
    auto same = [](const BassChannel& a, const BassChannel& b) { return same_bits(&a, &b, sizeof a); };
    SuperBass fx;
    bass_init(fx, kRate, 2);
    fx.params = {90, 36};
    bass_configure(fx, kRate, 2);
    expect_channels_alone(fx, bass_process, same, 5);
}

TEST(StereoPaths, ReverbWithEqualAndUnequalTapCounts) {
    auto same = [](const ReverbChannel& a, const ReverbChannel& b) {
        return a.write_pos == b.write_pos && same_bits(a.line.data(), b.line.data(), sizeof(float) * a.line.size());
    };
    auto fx = std::make_unique<Reverb>();
    reverb_init(*fx, kRate, 2);
    fx->params.reverb_tap_count = 100;
    fx->params.reverb_feedback_db = -1;
    fx->params.reverb_wet_db = 0;
    reverb_configure(*fx, kRate, 2);
    expect_channels_alone(*fx, reverb_process, same, 6);
    fx->channel[1].tap_count = 37;  // the taps only channel 0 has run after the shared ones
    expect_channels_alone(*fx, reverb_process, same, 7);
    fx->channel[0].tap_count = 0;
    expect_channels_alone(*fx, reverb_process, same, 8);
}

// The distortion's stereo and mono paths against its stage-by-stage functions, channel by channel.
TEST(StereoPaths, DistortionMatchesItsStagesRunOneByOne) {
    for (int channels = 1; channels <= 2; ++channels) {
        auto fx = std::make_unique<Distortion>();
        distortion_init(*fx, kRate, channels);
        fx->params = {300, 600, 2000, 120, 2000};  // the limiter both climbs and falls at its step
        distortion_configure(*fx, kRate, channels);
        fx->dist_prev[0] = -5000;
        fx->dist_prev[channels - 1] = 7000;
        auto ref = std::make_unique<Distortion>(*fx);
        std::vector<int16_t> pcm = programme(9);
        pcm.resize(static_cast<size_t>(kFrames) * channels);
        std::vector<int16_t> expected = pcm;
        std::vector<float> w(kChunk);
        for (int first = 0; first < kFrames; first += kChunk)
            for (int c = 0; c < channels; ++c) {
                int16_t* p = expected.data() + static_cast<size_t>(first) * channels + c;
                for (int n = 0; n < kChunk; ++n) w[n] = p[n * channels];
                rc_run(ref->low_cut, w.data(), kChunk, kRcHighPass, c);
                distortion_drive_limit(*ref, w.data(), kChunk, c);
                resonator_run(ref->tone, w.data(), kChunk, ref->params.dist_tone_hz, kRate, channels, c);
                for (int n = 0; n < kChunk; ++n) p[n * channels] = static_cast<int16_t>(std::clamp(w[n], -32768.0f, 32767.0f));
            }
        run_stage(*fx, distortion_process, pcm, channels, kRate, kChunk);
        EXPECT_EQ(pcm, expected) << channels << " channels";
        EXPECT_TRUE(same_bits(fx->dist_prev, ref->dist_prev, sizeof fx->dist_prev));
        EXPECT_TRUE(same_bits(fx->low_cut.current, ref->low_cut.current, sizeof fx->low_cut.current));
        EXPECT_TRUE(same_bits(fx->low_cut.prev_in, ref->low_cut.prev_in, sizeof fx->low_cut.prev_in));
        EXPECT_TRUE(same_bits(fx->tone.aux, ref->tone.aux, sizeof fx->tone.aux));
    }
}

// The vibrato's oscillator runs on from channel 0's pass into channel 1's: side by side, channel
// 1 must start where channel 0 would have ended, also when a shorter period leaves the counter
// at or past it.
TEST(StereoPaths, VibratoCarriesTheCounterFromChannelToChannel) {
    Vibrato fx;
    vibrato_init(fx, kRate, 2);
    fx.params = {37, 60};
    vibrato_configure(fx, kRate, 2);
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) {
            fx.counter = 30000;
            fx.params.vibrato_period = 3;  // P = 2646: the counter is past it
            vibrato_configure(fx, kRate, 2);
        }
        Vibrato ch0 = fx, ch1 = fx;
        ch1.channel[0] = fx.channel[1];
        const std::vector<int16_t> in = programme(10 + pass);
        std::vector<int16_t> expected[2] = {channel_of(in, 0), channel_of(in, 1)};
        std::vector<float> work(kMaxFrames);
        for (int first = 0; first < kFrames; first += kChunk) {
            const StageContext mono{kRate, 1, kChunk, kChunk, 1.0f, work.data()};
            vibrato_process(ch0, expected[0].data() + first, mono);
            ch1.counter = ch0.counter;
            vibrato_process(ch1, expected[1].data() + first, mono);
            ch0.counter = ch1.counter;
        }
        std::vector<int16_t> out = in;
        run_stage(fx, vibrato_process, out, 2, kRate, kChunk);
        EXPECT_EQ(channel_of(out, 0), expected[0]) << "pass " << pass;
        EXPECT_EQ(channel_of(out, 1), expected[1]) << "pass " << pass;
        EXPECT_EQ(fx.counter, ch1.counter);
        EXPECT_EQ(fx.channel[0].r, ch0.channel[0].r);
        EXPECT_EQ(fx.channel[1].r, ch1.channel[0].r);
        EXPECT_EQ(fx.channel[1].line, ch1.channel[0].line);
    }
}

}  // namespace
}  // namespace vemo::test
