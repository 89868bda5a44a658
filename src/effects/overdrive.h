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
};

// Chebyshev-style two-pole design by the bilinear transform; ripple in percent, lowpass 1 or 0
// (high-pass).  The section comes normalised: a0 = 1.
Biquad<double> lowpass_design(double fs, double fc, double ripple, int lowpass);

// vemomix_init: the defaults, the output low-pass, the input smoothing and the anti-alias
// filters for the rate, every memory cleared.
void overdrive_init(Overdrive& fx, int rate, int channels);
// vemomix_set: the output low-pass takes the new cut-off without losing its memory.
void overdrive_configure(Overdrive& fx, int rate, int channels);
// One buffer, in place.
void overdrive_process(Overdrive& fx, int16_t* pcm, const StageContext& ctx);

// The node equation of the diode pair is solved by Newton steps that stop once a step is at most
// 0.01 V.  Started far on the diodes' exponential side, plain Newton creeps about 0.3 V a step:
// hundreds of steps for a full-scale jump at a high drive, as the first sample of a stereo
// buffer's second channel often makes, and for every sub-sample of full-scale noise, which no
// real-time budget holds.  So each channel may spend kOverdriveStepsPerSubSample plain steps a
// sub-sample on average over a buffer, plus kOverdriveStepReserve, and one solve at most
// kOverdriveMaxNewtonSteps; once that is spent a solve gets kOverdriveLeanSteps.  A solve the
// plain steps leave unsettled is finished inside the interval that must hold the solution,
// halving it whenever a Newton step would leave it, within kOverdriveFinishSteps more.  Input
// that stays within the budget, programme material and full-scale tones at the default drive
// included, gives the plain solve's result bit for bit.
constexpr int kOverdriveStepsPerSubSample = 16;
constexpr int kOverdriveStepReserve = 2048;
constexpr int kOverdriveMaxNewtonSteps = 2000;
constexpr int kOverdriveLeanSteps = 8;
constexpr int kOverdriveFinishSteps = 16;

// The drive resistance the solve uses: the record's value, at least 1 ohm.
double overdrive_resistance(const OverdriveParams& p);

}  // namespace vemo
