#include "effects/rc_filter.h"

#include <algorithm>
#include <cmath>

namespace vemo {
namespace {

int channel_slot(int channel) { return channel == 1 ? 1 : 0; }

// Rate times channels as the filters see it; a format without samples is taken as one sample a second.
double samples_per_second(int rate, int channels) {
    const double n = static_cast<double>(rate) * channels;
    return n >= 1.0 ? n : 1.0;
}

}  // namespace

void rc_design(RcFilter& f, int stages, double stage_gain) {
    f.stages = stages;
    f.stage_gain = stage_gain;
    for (int s = 0; s < kRcMaxStages; ++s)
        for (int m = 0; m < 2; ++m)
            for (int ch = 0; ch < 2; ++ch) f.current[s][m][ch] = f.prev_in[s][m][ch] = f.aux[s][m][ch] = 0.0;
}

void rc_set_cutoff(RcFilter& f, double fc, int rate, int channels) {
    const double n = samples_per_second(rate, channels);
    // A section is stable only for 2*pi*fc/rate below 2: cut-offs are held to 0..0.3*rate
    // (a negative one would grow without bound, one near the limit rings past float range).
    fc = std::clamp(fc, 0.0, 0.3 * n / channels);
    f.r = 1000.0;
    // At 0 Hz the capacitor is infinite and a section passes its input's changes unchanged.
    f.c = fc > 0.0 ? 1.0 / (channels * fc * 1000.0 * 6.2831854) : HUGE_VAL;
    f.inv_r = 1.0 / f.r;
    f.dt_over_c = (1.0 / n) / f.c;
}

namespace {

// Section by section over the whole block(s); with two blocks (channels 0 and 1) both channels'
// recursions run in the same loop, so their dependency chains overlap.
template <RcMode Mode, int Lanes>
void run_sections(RcFilter& f, float* const* blocks, const int* channels, int count) {
    const double g = f.stage_gain, r = f.r, k = f.dt_over_c, inv_r = f.inv_r;
    for (int s = 0; s < kRcMaxStages && s < f.stages; ++s) {
        double i[Lanes], p[Lanes];
        for (int l = 0; l < Lanes; ++l) {
            i[l] = f.current[s][Mode][channels[l]];
            p[l] = f.prev_in[s][Mode][channels[l]];
        }
        for (int n = 0; n < count; ++n)
            for (int l = 0; l < Lanes; ++l) blocks[l][n] = rc_section<Mode>(blocks[l][n], i[l], p[l], k, inv_r, r, g);
        for (int l = 0; l < Lanes; ++l) {
            f.current[s][Mode][channels[l]] = i[l];
            f.prev_in[s][Mode][channels[l]] = p[l];
        }
    }
}

}  // namespace

void rc_run(RcFilter& f, float* block, int count, RcMode mode, int channel) {
    const int ch = channel_slot(channel);
    if (mode == kRcHighPass)
        run_sections<kRcHighPass, 1>(f, &block, &ch, count);
    else
        run_sections<kRcLowPass, 1>(f, &block, &ch, count);
}

void rc_run_stereo(RcFilter& f, float* left, float* right, int count, RcMode mode) {
    float* const blocks[2] = {left, right};
    static constexpr int kChannels[2] = {0, 1};
    if (mode == kRcHighPass)
        run_sections<kRcHighPass, 2>(f, blocks, kChannels, count);
    else
        run_sections<kRcLowPass, 2>(f, blocks, kChannels, count);
}

ResonatorCoefs resonator_coefs(double fc, int rate, int channels) {
    const double n = samples_per_second(rate, channels);
    const double w = channels * fc * 3.1415927;
    ResonatorCoefs k;
    k.a = w * w * 0.2 / n;
    k.b = 1.0 / (n * 0.05);
    // The two-pole recursion is stable for damping 300*b below 2 and a*b below 4 - 600*b; formats
    // under 6000 samples a second and tones near the sample rate are held inside that (damping 1,
    // a*b at nine tenths of its limit) so the charge cannot grow without bound.
    k.b = std::min(k.b, 1.0 / 300.0);
    k.a = std::min(k.a, 0.9 * (4.0 - 600.0 * k.b) / k.b);
    return k;
}

void resonator_run(RcFilter& f, float* block, int count, double fc, int rate, int channels, int channel) {
    const int ch = channel_slot(channel);
    const ResonatorCoefs k = resonator_coefs(fc, rate, channels);
    double q = f.aux[0][0][ch];
    double i = f.aux[1][0][ch];
    double p = f.aux[2][0][ch];
    for (int n = 0; n < count; ++n) block[n] = resonator_step(block[n], q, i, p, k);
    f.aux[0][0][ch] = q;
    f.aux[1][0][ch] = i;
    f.aux[2][0][ch] = p;
}

}  // namespace vemo
