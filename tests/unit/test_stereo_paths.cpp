// The side-by-side stereo paths give bit for bit what the channels give one after the other
// through the mono path.
#include "effects/distortion.h"
#include "effects/overdrive.h"
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

// The straightforward computation every side-by-side stereo path replaces: channel 0 through a
// mono copy of fx, then channel 1 through another, chunk after chunk.  as_mono(copy, c) gives a
// copy channel c's state in its channel 0; share(next, done) hands on what the channels share
// (nothing for most effects) from the copy that ran last.  Samples must agree bit for bit and
// same(fx, copy, c) must hold for the state after the run.
struct Independent {
    template <typename Fx>
    void operator()(Fx&, const Fx&) const {}
};
template <typename Fx, typename AsMono, typename Same, typename Share = Independent>
void expect_channels_in_turn(Fx& fx, AsMono as_mono, Same same, uint32_t seed, Share share = {}) {
    const std::vector<int16_t> in = programme(seed);
    std::unique_ptr<Fx> mono[2];
    std::vector<int16_t> expected[2];
    for (int c = 0; c < 2; ++c) {
        mono[c] = std::make_unique<Fx>(fx);
        as_mono(*mono[c], c);
        expected[c] = channel_of(in, c);
    }
    std::vector<float> work(kMaxFrames);
    for (int first = 0; first < kFrames; first += kChunk)
        for (int c = 0; c < 2; ++c) {
            fx_process(*mono[c], expected[c].data() + first, StageContext{kRate, 1, kChunk, kChunk, work.data()});
            share(*mono[1 - c], *mono[c]);
        }
    std::vector<int16_t> out = in;
    run_stage(fx, out, 2, kRate, kChunk);
    for (int c = 0; c < 2; ++c)
        EXPECT_EQ(std::tuple(channel_of(out, c), same(fx, *mono[c], c)), std::tuple(expected[c], true))
            << "channel " << c << ", seed " << seed;
}

// For effects that keep each channel's state in channel[c].
template <typename Fx>
void channel_to_0(Fx& copy, int c) { copy.channel[0] = copy.channel[c]; }
template <typename Fx>
bool same_channel(const Fx& stereo, const Fx& mono, int c) { return same_bits(stereo.channel[c], mono.channel[0]); }

TEST(StereoPaths, PhaserWithSharedAndSeparateSweeps) {
    auto same = [](const Phaser& s, const Phaser& m, int c) {
        const PhaserChannel &a = s.channel[c], &b = m.channel[0];
        return same_bits(a.phase, b.phase) && same_bits(a.y1, b.y1) && same_bits(a.stages, b.stages);
    };
    auto fx = make_stage<Phaser>(PhaserParams{200, 3000, 700, 95, 7});
    expect_channels_in_turn(*fx, channel_to_0<Phaser>, same, 1);  // both channels on one sweep
    fx->channel[1].phase = 2.5f, fx->channel[1].fb = -0.4f;       // as after a mono stretch
    expect_channels_in_turn(*fx, channel_to_0<Phaser>, same, 2);
}

TEST(StereoPaths, WahCountingItsRedesignsPerChannelAndSuperBass) {
    auto wah = make_stage<Wah>(WahParams{40, 30, 100, 100});
    expect_channels_in_turn(*wah, channel_to_0<Wah>, same_channel<Wah>, 3);
    wah->channel[1].n += 17;  // redesigns fall on other samples than channel 0's
    expect_channels_in_turn(*wah, channel_to_0<Wah>, same_channel<Wah>, 4);
    auto bass = make_stage<SuperBass>(SuperBassParams{90, 36});
    expect_channels_in_turn(*bass, channel_to_0<SuperBass>, same_channel<SuperBass>, 5);
}

TEST(StereoPaths, ReverbWithEqualAndUnequalTapCounts) {
    auto same = [](const Reverb& s, const Reverb& m, int c) {
        return s.channel[c].write_pos == m.channel[0].write_pos && s.channel[c].line == m.channel[0].line;
    };
    auto fx = make_stage<Reverb>(ReverbParams{100, 20, 5, 10, 20, -1, 0});
    expect_channels_in_turn(*fx, channel_to_0<Reverb>, same, 6);
    fx->channel[1].tap_count = 37;  // the taps only channel 0 has run after the shared ones
    expect_channels_in_turn(*fx, channel_to_0<Reverb>, same, 7);
    fx->channel[0].tap_count = 0;
    expect_channels_in_turn(*fx, channel_to_0<Reverb>, same, 8);
}

// The distortion's stereo and mono paths against its stage-by-stage functions, channel by channel.
TEST(StereoPaths, DistortionMatchesItsStagesRunOneByOne) {
    for (int channels = 1; channels <= 2; ++channels) {
        // The limiter both climbs and falls at its step.
        auto fx = make_stage<Distortion>(DistortionParams{300, 600, 2000, 120, 2000}, kRate, channels);
        fx->dist_prev[0] = -5000, fx->dist_prev[channels - 1] = 7000;
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
        run_stage(*fx, pcm, channels, kRate, kChunk);
        EXPECT_EQ(pcm, expected) << channels << " channels";
        EXPECT_TRUE(same_bits(fx->dist_prev, ref->dist_prev) && same_bits(fx->low_cut.current, ref->low_cut.current) &&
                    same_bits(fx->low_cut.prev_in, ref->low_cut.prev_in) && same_bits(fx->tone.aux, ref->tone.aux));
    }
}

// The vibrato's oscillator runs on from channel 0's pass into channel 1's: side by side, channel
// 1 must start where channel 0 would have ended, also when a shorter period leaves the counter
// at or past it.
TEST(StereoPaths, VibratoCarriesTheCounterFromChannelToChannel) {
    auto same = [](const Vibrato& s, const Vibrato& m, int c) {
        return s.counter == m.counter && s.channel[c].r == m.channel[0].r && s.channel[c].line == m.channel[0].line;
    };
    auto share = [](Vibrato& next, const Vibrato& done) { next.counter = done.counter; };
    auto fx = make_stage<Vibrato>(VibratoParams{37, 60});
    expect_channels_in_turn(*fx, channel_to_0<Vibrato>, same, 10, share);
    fx->counter = 30000;
    fx->params.vibrato_period = 3;  // P = 2646: the counter is past it
    fx_configure(*fx, kRate, 2);
    expect_channels_in_turn(*fx, channel_to_0<Vibrato>, same, 11, share);
}

// The overdrive solves both channels' node equations interleaved.  Channel 1 takes over the input
// and its low-pass from channel 0's pass, and channel 0 from channel 1's at the next buffer.
TEST(StereoPaths, OverdriveInterleavedSolvesGiveTheOneByOneResult) {
    auto as_mono = [](Overdrive& m, int c) {
        m.od_v[0] = m.od_v[c], m.od_aa1_mem[0] = m.od_aa1_mem[c], m.od_aa2_mem[0] = m.od_aa2_mem[c];
        for (auto* state : {&m.od_post.current, &m.od_post.prev_in})
            for (auto& section : *state)
                for (auto& mode : section) mode[0] = mode[c];
    };
    auto same = [](const Overdrive& s, const Overdrive& m, int c) {
        return s.od_v[c] == m.od_v[0] && same_bits(s.od_aa2_mem[c], m.od_aa2_mem[0]) &&
               s.od_post.current[9][kRcLowPass][c] == m.od_post.current[9][kRcLowPass][0];
    };
    auto share = [](Overdrive& to, const Overdrive& from) { to.od_x_prev = from.od_x_prev, to.od_lp = from.od_lp; };
    for (int32_t ohms : {520, 4700, 100000}) {
        auto fx = make_stage<Overdrive>(OverdriveParams{ohms, 2500, ohms != 4700});
        expect_channels_in_turn(*fx, as_mono, same, 12 + ohms % 7, share);
    }
}

}  // namespace
}  // namespace vemo::test
