// The side-by-side stereo paths give bit for bit what each channel gives through the mono path.
#include "effects/distortion.h"
#include "effects/phaser.h"
#include "effects/reverb.h"
#include "effects/super_bass.h"
#include "effects/vibrato.h"
#include "effects/wah.h"
#include "test_support.h"

namespace vemo::test {
namespace {

constexpr int kRate = 44100, kFrames = 6000;
constexpr int kChunk = 1500;  // several calls, so the state carried between them is checked too

// Loud noise with full-scale square bursts and silent stretches; the channels differ.
std::vector<int16_t> programme(uint32_t seed) {
    std::vector<int16_t> pcm = noise(2 * kFrames, seed);
    for (int i = 0; i < kFrames; ++i)
        for (int c = 0; c < 2; ++c) {
            if ((i / 700 + c) % 4 == 1) pcm[2 * i + c] = (i / 40) % 2 ? 32767 : -32768;
            if ((i / 900 + c) % 5 == 3) pcm[2 * i + c] = 0;
        }
    return pcm;
}

std::vector<int16_t> channel_of(const std::vector<int16_t>& pcm, int c) {
    std::vector<int16_t> out(pcm.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) out[i] = pcm[2 * i + c];
    return out;
}

template <typename T>
bool same_bits(const T& a, const T& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Runs the stereo programme through fx and each channel alone through a copy of fx whose first
// channel holds that channel's state; samples and same_state(stereo channel, alone channel) must agree.
template <typename Fx, typename Process, typename SameState>
void expect_channels_alone(Fx& fx, Process process, SameState same_state, uint32_t seed) {
    const std::vector<int16_t> in = programme(seed);
    std::unique_ptr<Fx> alone[2];
    std::vector<int16_t> expected[2];
    for (int c = 0; c < 2; ++c) {
        alone[c] = std::make_unique<Fx>(fx);
        alone[c]->channel[0] = fx.channel[c];
        expected[c] = channel_of(in, c);
        run_stage(*alone[c], process, expected[c], 1, kRate, kChunk);
    }
    std::vector<int16_t> out = in;
    run_stage(fx, process, out, 2, kRate, kChunk);
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(channel_of(out, c), expected[c]) << "channel " << c << ", seed " << seed;
        EXPECT_TRUE(same_state(fx.channel[c], alone[c]->channel[0])) << "channel " << c << ", seed " << seed;
    }
}

TEST(StereoPaths, PhaserWithSharedAndSeparateSweeps) {
    auto same = [](const PhaserChannel& a, const PhaserChannel& b) {
        return same_bits(a.phase, b.phase) && same_bits(a.y1, b.y1) && same_bits(a.stages, b.stages);
    };
    auto fx = make_stage(phaser_init, phaser_configure, PhaserParams{200, 3000, 700, 95, 7});
    expect_channels_alone(*fx, phaser_process, same, 1);  // both channels on one sweep
    fx->channel[1].phase = 2.5f;                          // as after a mono stretch
    fx->channel[1].fb = -0.4f;
    expect_channels_alone(*fx, phaser_process, same, 2);
}

TEST(StereoPaths, WahCountingItsRedesignsPerChannelAndSuperBass) {
    auto wah = make_stage(wah_init, wah_configure, WahParams{40, 30, 100, 100});
    expect_channels_alone(*wah, wah_process, same_bits<WahChannel>, 3);
    wah->channel[1].n += 17;  // redesigns fall on other samples than channel 0's
    expect_channels_alone(*wah, wah_process, same_bits<WahChannel>, 4);
    auto bass = make_stage(bass_init, bass_configure, SuperBassParams{90, 36});
    expect_channels_alone(*bass, bass_process, same_bits<BassChannel>, 5);
}

TEST(StereoPaths, ReverbWithEqualAndUnequalTapCounts) {
    auto same = [](const ReverbChannel& a, const ReverbChannel& b) {
        return a.write_pos == b.write_pos && a.line.size() == b.line.size() &&
               std::memcmp(a.line.data(), b.line.data(), a.line.size() * sizeof(float)) == 0;
    };
    auto fx = make_stage(reverb_init, reverb_configure, ReverbParams{100, 20, 5, 10, 20, -1, 0});
    expect_channels_alone(*fx, reverb_process, same, 6);
    fx->channel[1].tap_count = 37;  // the taps only channel 0 has run after the shared ones
    expect_channels_alone(*fx, reverb_process, same, 7);
    fx->channel[0].tap_count = 0;
    expect_channels_alone(*fx, reverb_process, same, 8);
}

// The distortion's stereo and mono paths against its stage-by-stage functions, channel by channel.
TEST(StereoPaths, DistortionMatchesItsStagesRunOneByOne) {
    for (int channels = 1; channels <= 2; ++channels) {
        // The limiter both climbs and falls at its step.
        auto fx = make_stage(distortion_init, distortion_configure, DistortionParams{300, 600, 2000, 120, 2000}, kRate,
                             channels);
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
                for (int n = 0; n < kChunk; ++n)
                    p[n * channels] = static_cast<int16_t>(std::clamp(w[n], -32768.0f, 32767.0f));
            }
        run_stage(*fx, distortion_process, pcm, channels, kRate, kChunk);
        EXPECT_EQ(pcm, expected) << channels << " channels";
        EXPECT_TRUE(same_bits(fx->dist_prev, ref->dist_prev) && same_bits(fx->low_cut.current, ref->low_cut.current) &&
                    same_bits(fx->low_cut.prev_in, ref->low_cut.prev_in) && same_bits(fx->tone.aux, ref->tone.aux));
    }
}

// The vibrato's oscillator runs on from channel 0's pass into channel 1's: side by side, channel
// 1 must start where channel 0 would have ended, also when a shorter period leaves the counter
// at or past it.
TEST(StereoPaths, VibratoCarriesTheCounterFromChannelToChannel) {
    auto fx = make_stage(vibrato_init, vibrato_configure, VibratoParams{37, 60});
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) {
            fx->counter = 30000;
            fx->params.vibrato_period = 3;  // P = 2646: the counter is past it
            vibrato_configure(*fx, kRate, 2);
        }
        Vibrato ch0 = *fx, ch1 = *fx;
        ch1.channel[0] = fx->channel[1];
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
        run_stage(*fx, vibrato_process, out, 2, kRate, kChunk);
        for (int c = 0; c < 2; ++c) EXPECT_EQ(channel_of(out, c), expected[c]) << "channel " << c << ", pass " << pass;
        EXPECT_EQ(fx->counter, ch1.counter);
        EXPECT_TRUE(fx->channel[0].r == ch0.channel[0].r && fx->channel[1].r == ch1.channel[0].r);
        EXPECT_EQ(fx->channel[1].line, ch1.channel[0].line);
    }
}

}  // namespace
}  // namespace vemo::test
