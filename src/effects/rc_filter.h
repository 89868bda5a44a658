// Cascaded first-order RC sections (simulated current through R = 1000 ohm) and the resonator
// that the distortion keeps in the same storage. Shared by the distortion and the overdrive.
#pragma once
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// One section on one value: d = x - P; P = x; I += (d - I * dt/C) / R; the section's output.
template <RcMode Mode>
inline float rc_section(double x, double& i, double& p, double k, double inv_r, double r, double g) {
    const double d = x - p;
    p = x;
    i = i + (d - i * k) * inv_r;
    return static_cast<float>(Mode == kRcHighPass ? i * r * g : (x - i * r) * g);
}

// The resonator's two weights for fc at a format (see resonator_run).
struct ResonatorCoefs {
    double a = 0, b = 0;
};
ResonatorCoefs resonator_coefs(double fc, int rate, int channels);

// One resonator step on one value, with its charge q, current i and previous input p.
inline float resonator_step(double x, double& q, double& i, double& p, const ResonatorCoefs& k) {
    const double d = x - p;
    p = x;
    i = i + (d - k.a * q - 300.0 * i) * k.b;
    q = q + i;
    return static_cast<float>(std::trunc(500.0 * q));
}

// ------------------------------------------------------------------ two channels in one register
// The steps above with both channels of a frame in the two lanes of an SSE2 register: each lane
// performs exactly the scalar operations, in the same order, with the same roundings.
#if defined(__SSE2__)
inline __m128d round_to_float(__m128d v) { return _mm_cvtps_pd(_mm_cvtpd_ps(v)); }

// Lane-wise mask ? a : b.
inline __m128d select_lanes(__m128d mask, __m128d a, __m128d b) {
    return _mm_or_pd(_mm_and_pd(mask, a), _mm_andnot_pd(mask, b));
}

struct RcLanes {
    __m128d k, inv_r, r, g;
    explicit RcLanes(const RcFilter& f)
        : k(_mm_set1_pd(f.dt_over_c)), inv_r(_mm_set1_pd(f.inv_r)), r(_mm_set1_pd(f.r)), g(_mm_set1_pd(f.stage_gain)) {}
};

inline __m128d rc_high_pass_lanes(__m128d x, __m128d& i, __m128d& p, const RcLanes& c) {
    const __m128d d = _mm_sub_pd(x, p);
    p = x;
    i = _mm_add_pd(i, _mm_mul_pd(_mm_sub_pd(d, _mm_mul_pd(i, c.k)), c.inv_r));
    return round_to_float(_mm_mul_pd(_mm_mul_pd(i, c.r), c.g));
}

// Returns 500 q, before the truncation of resonator_step: where the output only goes on as a
// 16-bit sample, truncating the clamped product gives the same sample for less work.
inline __m128d resonator_lanes(__m128d x, __m128d& q, __m128d& i, __m128d& p, const ResonatorCoefs& k) {
    const __m128d d = _mm_sub_pd(x, p);
    p = x;
    const __m128d drive = _mm_sub_pd(_mm_sub_pd(d, _mm_mul_pd(_mm_set1_pd(k.a), q)), _mm_mul_pd(_mm_set1_pd(300.0), i));
    i = _mm_add_pd(i, _mm_mul_pd(drive, _mm_set1_pd(k.b)));
    q = _mm_add_pd(q, i);
    return _mm_mul_pd(_mm_set1_pd(500.0), q);
}
#endif

}  // namespace vemo
