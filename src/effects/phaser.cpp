#include "effects/phaser.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace vemo {
namespace {

// The sweep's full turn, a single-precision constant (not the exact 2*pi).
constexpr float kTurn = 6.28318f;

// A rate below 1 Hz would divide by zero; such formats are outside the design.
float usable_rate(int rate) { return rate > 0 ? static_cast<float>(rate) : 44100.0f; }

// Negative frequencies would give all-pass coefficients beyond +-1, whose stages grow without
// bound; they are taken as 0 Hz.
float sweep_end(int32_t hz, float fs) { return static_cast<float>(std::max(hz, 0) / (fs * 0.5)); }

void set_low(PhaserChannel& ch, int32_t hz) {
    ch.low_copy = hz;
    ch.dmin = sweep_end(hz, ch.fs);
}

void set_high(PhaserChannel& ch, int32_t hz) {
    ch.high_copy = hz;
    ch.dmax = sweep_end(hz, ch.fs);
}

// Report copies are truncations; a record's far-out value saturates instead of overflowing.
int32_t report_copy(double v) {
    if (!(v > -2147483648.0)) return v == v ? INT32_MIN : 0;
    return v >= 2147483647.0 ? INT32_MAX : static_cast<int32_t>(v);
}

// The rate in Hz is never stored, so it stays a double: rounding it to a float would lose a
// hundredth on the way back for half of the editor's rates.
void set_rate(PhaserChannel& ch, int32_t hundredths) {
    const double hz = hundredths * 0.01;
    ch.rate_copy = report_copy(hz * 100.0);
    // Kept within one turn per sample so the single wrap keeps the phase in 0..2pi.
    ch.step = std::clamp(static_cast<float>(kTurn * hz / ch.fs), 0.0f, kTurn);
}

void set_feedback(PhaserChannel& ch, int32_t percent) {
    ch.fb = static_cast<float>(percent * 0.01);
    ch.feedback_copy = report_copy(ch.fb * 100.0);
}

void set_mix(PhaserChannel& ch, int32_t tenths) {
    ch.mix = static_cast<float>(tenths * 0.1);
    ch.mix_copy = report_copy(ch.mix * 10.0);
}

}  // namespace

PhaserChannel::PhaserChannel() {
    set_low(*this, 440);
    set_high(*this, 1600);
    set_rate(*this, 50);
    fb = 0.7f;
    feedback_copy = static_cast<int32_t>(fb * 100.0);
    mix = 1.0f;
    mix_copy = static_cast<int32_t>(mix * 10.0);
}

void fx_reset(Phaser& fx, int rate, int) {
    fx.params.phaser_low_hz = 440;
    fx.params.phaser_high_hz = 1600;
    fx.params.phaser_rate = 50;
    for (PhaserChannel& ch : fx.channel) {
        ch.fs = usable_rate(rate);
        set_low(ch, 440);
        set_high(ch, 1600);
        set_rate(ch, 50);
    }
}

void fx_configure(Phaser& fx, int rate, int) {
    const PhaserParams& p = fx.params;
    for (PhaserChannel& ch : fx.channel) {
        ch.fs = usable_rate(rate);
        set_low(ch, p.phaser_low_hz);
        set_high(ch, p.phaser_high_hz);
        set_rate(ch, p.phaser_rate);
        set_feedback(ch, p.phaser_feedback);
        set_mix(ch, p.phaser_mix);
    }
}

PhaserParams fx_report(const Phaser& fx) {
    const PhaserChannel& ch = fx.channel[0];
    return {ch.low_copy, ch.high_copy, ch.rate_copy, ch.feedback_copy, ch.mix_copy};
}

namespace {

// The sweep's coefficients for the next `frames` samples of one channel, into a; the phase moves on.
void sweep(PhaserChannel& ch, float* a, int frames) {
    const double dmin = ch.dmin, span = static_cast<double>(ch.dmax) - ch.dmin;
    for (int i = 0; i < frames; ++i) {
        const double d = dmin + span * ((std::sin(static_cast<double>(ch.phase)) + 1.0) * 0.5);
        ch.phase += ch.step;
        if (!(ch.phase < kTurn)) ch.phase -= kTurn;
        a[i] = static_cast<float>((1.0 - d) / (1.0 + d));
    }
}

// Both channels run the same sweep when every value it is made of is the same, bit for bit.
bool same_sweep(const PhaserChannel& a, const PhaserChannel& b) {
    auto same = [](float x, float y) { return std::memcmp(&x, &y, sizeof x) == 0; };
    return same(a.phase, b.phase) && same(a.step, b.step) && same(a.dmin, b.dmin) && same(a.dmax, b.dmax);
}

// The stages and the feedback over `frames` frames, the channels of a frame side by side (their
// recursions are independent); a[c] holds channel c's coefficients.
template <int Channels>
void run_stages(Phaser& fx, int16_t* pcm, int frames, const float* const* a) {
    double fb[Channels], mix[Channels], y1[Channels], z[Channels][6];
    for (int c = 0; c < Channels; ++c) {
        const PhaserChannel& ch = fx.channel[c];
        // Beyond +-1 the loop gain exceeds one and the state would run off to infinity.
        fb[c] = std::clamp(ch.fb, -1.0f, 1.0f);
        mix[c] = ch.mix;
        y1[c] = ch.y1;
        for (int s = 0; s < 6; ++s) z[c][s] = ch.stages[s].z;
    }
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < Channels; ++c) {
            int16_t& sample = pcm[i * Channels + c];
            const double x = static_cast<float>(sample);
            const double k = a[c][i];
            double in = x + fb[c] * y1[c];
            for (double& zs : z[c]) {
                const double out = zs - k * in;
                zs = static_cast<float>(in + k * out);
                in = out;
            }
            // At a loop gain of exactly one the time-varying stages can still creep upwards;
            // the bound is far above anything audible and keeps the state finite.
            y1[c] = static_cast<float>(std::clamp(in, -1e30, 1e30));
            const double y = std::clamp((x + mix[c] * y1[c]) * 0.9, -32768.0, 32767.0);
            sample = static_cast<int16_t>(static_cast<float>(y));
        }
    }
    for (int c = 0; c < Channels; ++c) {
        PhaserChannel& ch = fx.channel[c];
        ch.y1 = static_cast<float>(y1[c]);
        for (int s = 0; s < 6; ++s) {
            ch.stages[s].z = static_cast<float>(z[c][s]);
            if (frames > 0) ch.stages[s].a = a[c][frames - 1];
        }
    }
}

}  // namespace

void fx_process(Phaser& fx, int16_t* pcm, const StageContext& ctx) {
    if (ctx.channels != 1 && ctx.channels != 2) return;
    // The work array holds each channel's coefficients for half of it at a time.
    constexpr int kChunk = kMaxFrames / 2;
    float* a[2] = {ctx.work, ctx.work + kChunk};
    for (int done = 0; done < ctx.frames; done += kChunk) {
        const int n = std::min(kChunk, ctx.frames - done);
        int16_t* p = pcm + done * ctx.channels;
        if (ctx.channels == 1) {
            sweep(fx.channel[0], a[0], n);
            run_stages<1>(fx, p, n, a);
        } else if (same_sweep(fx.channel[0], fx.channel[1])) {
            // The usual case: one sweep serves both channels.
            sweep(fx.channel[0], a[0], n);
            fx.channel[1].phase = fx.channel[0].phase;
            const float* shared[2] = {a[0], a[0]};
            run_stages<2>(fx, p, n, shared);
        } else {
            sweep(fx.channel[0], a[0], n);
            sweep(fx.channel[1], a[1], n);
            run_stages<2>(fx, p, n, a);
        }
    }
}

}  // namespace vemo
