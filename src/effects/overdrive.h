// Oversampled diode-clipper overdrive (effect type 5).
#pragma once
#include <cstdint>

#include "effects/biquad.h"
#include "effects/rc_filter.h"
#include "effects/stage.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct OverdriveParams {
    int32_t odrive_drive_ohms = 520;
    int32_t odrive_lowpass_hz = 3500;
    int32_t odrive_lowpass_on = 0;
};

struct Overdrive {
    OverdriveParams params;
    double od_x_prev = 0;  // previous input in volts, carried from channel to channel
    double od_lp = 0;      // input one-pole low-pass, shared by the channels
    double od_lp_a = 0;
    double od_lp_b = 0;
    double od_v[2] = {0, 0};  // solved node voltage per channel: the next solve starts there
    Biquad<double> od_aa1;    // anti-alias low-pass at 12 kHz for the 4x rate
    Biquad<double> od_aa2;    // and at 5.5 kHz
    BiquadMemory<double> od_aa1_mem[2];
    BiquadMemory<double> od_aa2_mem[2];
    RcFilter od_post;  // optional 10-section output low-pass
    // Channel 1's samples while both channels are solved side by side.
    float lane_work[kMaxFrames] = {};
    // Lifts the step budget below; nothing in the library sets it (the benchmarks time the
    // unbounded solve with it).
    bool exact_solve = false;
};

// Chebyshev-style two-pole design by the bilinear transform; ripple in percent, lowpass 1 or 0
// (high-pass).  The section comes normalised: a0 = 1.
Biquad<double> lowpass_design(double fs, double fc, double ripple, int lowpass);

// vemomix_init: the defaults, the output low-pass, the input smoothing and the anti-alias
// filters for the rate, every memory cleared.
void fx_reset(Overdrive& fx, int rate, int channels);
// vemomix_set: the output low-pass takes the new cut-off without losing its memory.
void fx_configure(Overdrive& fx, int rate, int channels);
// One buffer, in place.
void fx_process(Overdrive& fx, int16_t* pcm, const StageContext& ctx);

// The node equation of the diode pair is solved by Newton steps that stop once a step is at most
// 0.01 V.  Started far on the diodes' exponential side, plain Newton creeps about 0.3 V a step:
// hundreds of steps for a large jump between sub-samples.  So that no buffer is late, each channel
// of a buffer of F frames may take kOverdriveStepsPerFrame * F + kOverdriveStepReserve plain steps;
// once they are spent, each further solve of that buffer gets kOverdriveLeanSteps and is then
// finished inside the interval that must hold the solution, halving it whenever a Newton step would
// leave it, within kOverdriveFinishSteps more: at most 350 F + 6144 plain steps and 4 F lean
// solves a channel, whatever the input (bench_worst times the costliest).  The budget is the need
// of full-scale white noise at 2.2 kOhm with a margin: at most about 300 steps a frame over a
// buffer, the reserve taking the peaks of short ones (some 1400 steps in a one-frame stereo buffer).
//
// Where the budget holds, the output is the unbounded solve's bit for bit: at any drive up to
// 2.2 kOhm, for any input up to full-scale white noise (uniform 16-bit values) -- programme
// material, tones, full-scale squares of three frames a half-period or longer -- in every buffer of
// 1 to 4096 frames, mono and stereo, at every rate.  Past it (full-scale noise above about 3.3 kOhm,
// full-scale random signs from about 520 ohm, full-scale alternation at half the rate at any drive:
// about 670 steps a frame at 520 ohm) the finished solves move some output samples by one unit, a
// few per thousand at most in every case measured, and those samples depend on the buffer size.
constexpr int kOverdriveStepsPerFrame = 350;
constexpr int kOverdriveStepReserve = 6144;
constexpr int kOverdriveLeanSteps = 8;
constexpr int kOverdriveFinishSteps = 16;

// The drive resistance the solve uses: the record's value, at least 1 ohm.
double overdrive_resistance(const OverdriveParams& p);

}  // namespace vemo
