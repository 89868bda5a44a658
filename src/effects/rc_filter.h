// Cascaded first-order RC sections (simulated current through R = 1000 ohm) and the resonator
// that the distortion keeps in the same storage. Shared by the distortion and the overdrive.
#pragma once

namespace vemo {

constexpr int kRcMaxStages = 10;

enum RcMode { kRcHighPass = 0, kRcLowPass = 1 };

struct RcFilter {
    double stages = 0;      // number of sections; the run compares the section index with it
    double stage_gain = 1;  // applied at the output of every section
    double r = 1000.0;
    double c = 0;
    double inv_r = 0.001;
    double dt_over_c = 0;
    // Per section, per mode, per channel.
    double current[kRcMaxStages][2][2] = {};
    double prev_in[kRcMaxStages][2][2] = {};
    // The resonator's charge, current and previous input per channel live in aux[0..2][0][ch].
    double aux[kRcMaxStages][2][2] = {};
};

// Section count and gain; every memory (the resonator's too) back to zero.
void rc_design(RcFilter& f, int stages, double stage_gain);
// Component values for cut-off fc at the given format; the memories are left alone.
void rc_set_cutoff(RcFilter& f, double fc, int rate, int channels);
// Runs the sections one after the other over the whole block, in place.
void rc_run(RcFilter& f, float* block, int count, RcMode mode, int channel);
// The same for channel 0 on left and channel 1 on right, with the same results as two rc_run calls.
void rc_run_stereo(RcFilter& f, float* left, float* right, int count, RcMode mode);
// Band-pass resonance at fc with peak gain 5/3; each output is truncated toward zero.
void resonator_run(RcFilter& f, float* block, int count, double fc, int rate, int channels, int channel);

}  // namespace vemo
