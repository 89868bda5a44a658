#include "effects/distortion.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vemo {
namespace {

// The low cut is always this many sections.
constexpr int kLowCutSections = 4;

}  // namespace

void fx_reset(Distortion& fx, int rate, int channels) {
    fx.params = DistortionParams{};
    fx_configure(fx, rate, channels);
}

// Applying parameters redesigns both filters, which clears their memories; dist_prev stays.
void fx_configure(Distortion& fx, int rate, int channels) {
    rc_design(fx.low_cut, kLowCutSections, 1.5);
    rc_set_cutoff(fx.low_cut, fx.params.dist_low_cut_hz, rate, channels);
    rc_design(fx.tone, 4, 1.0);
    rc_set_cutoff(fx.tone, fx.params.dist_tone_hz, rate, channels);
}

namespace {

// The drive and slew limiter's values for one buffer.
struct DriveLimit {
    double drive, step, level;
    explicit DriveLimit(const DistortionParams& p) : drive(p.dist_drive), step(p.dist_max_step), level(p.dist_level) {}
};

// One value through the drive and the slew limiter; prev is the previous limited value.
inline float drive_limit_step(const DriveLimit& k, double& prev, float v) {
    const double x = static_cast<float>(k.drive * v * 0.0625);
    double y = x;
    if (x - prev > k.step)
        y = prev + k.step;
    else if (prev - x > k.step)
        y = prev - k.step;
    // The held sample is an int32: a drive that throws it further is held at the int32 range.
    prev = std::trunc(std::clamp(y, double(INT32_MIN), double(INT32_MAX)));
    return static_cast<float>(k.level * y * 0.00390625);
}

#if defined(__SSE2__)
// The drive and limiter on both channels of a frame at once (see rc_filter.h's lanes): the two
// comparisons become masks, and the held value is truncated through int32 (it is inside the
// int32 range; the sign is put back so that -0.5 holds -0 as trunc gives).
struct DriveLanes {
    __m128d drive, step, level;
    explicit DriveLanes(const DriveLimit& k)
        : drive(_mm_set1_pd(k.drive)), step(_mm_set1_pd(k.step)), level(_mm_set1_pd(k.level)) {}
};

inline __m128d drive_limit_lanes(const DriveLanes& k, __m128d& prev, __m128d v) {
    const __m128d x = round_to_float(_mm_mul_pd(_mm_mul_pd(k.drive, v), _mm_set1_pd(0.0625)));
    const __m128d up = _mm_cmpgt_pd(_mm_sub_pd(x, prev), k.step);
    const __m128d down = _mm_cmpgt_pd(_mm_sub_pd(prev, x), k.step);
    const __m128d y = select_lanes(up, _mm_add_pd(prev, k.step), select_lanes(down, _mm_sub_pd(prev, k.step), x));
    const __m128d held = _mm_max_pd(_mm_set1_pd(INT32_MIN), _mm_min_pd(_mm_set1_pd(INT32_MAX), y));
    prev = _mm_or_pd(_mm_cvtepi32_pd(_mm_cvttpd_epi32(held)), _mm_and_pd(held, _mm_set1_pd(-0.0)));
    return round_to_float(_mm_mul_pd(_mm_mul_pd(k.level, y), _mm_set1_pd(0.00390625)));
}

// The whole stage sample by sample, both channels of a frame in the lanes of one register (a
// mono buffer uses the first lane): the four high-pass sections, the limiter and the resonator
// are separate recursions, so running them together lets their dependency chains overlap.  Each
// channel sees exactly the operations of the stage-by-stage path, in the same order.
template <int Channels>
void run_frames(Distortion& fx, int16_t* pcm, int frames, const ResonatorCoefs& res) {
    RcFilter& lc = fx.low_cut;
    RcFilter& tone = fx.tone;
    auto load = [](const double (&v)[2]) { return _mm_set_pd(Channels == 2 ? v[1] : 0.0, v[0]); };
    auto store = [](__m128d x, double (&v)[2]) {
        _mm_storel_pd(&v[0], x);
        if (Channels == 2) _mm_storeh_pd(&v[1], x);
    };
    const RcLanes rc(lc);
    const DriveLanes dl{DriveLimit(fx.params)};
    __m128d i[kLowCutSections], p[kLowCutSections];
    for (int s = 0; s < kLowCutSections; ++s) {
        i[s] = load(lc.current[s][kRcHighPass]);
        p[s] = load(lc.prev_in[s][kRcHighPass]);
    }
    __m128d q = load(tone.aux[0][0]), ri = load(tone.aux[1][0]), rp = load(tone.aux[2][0]);
    __m128d prev = _mm_cvtepi32_pd(_mm_set_epi32(0, 0, Channels == 2 ? fx.dist_prev[1] : 0, fx.dist_prev[0]));
    const __m128d lo = _mm_set1_pd(-32768.0), hi = _mm_set1_pd(32767.0);
    for (int n = 0; n < frames; ++n) {
        int16_t* frame = pcm + static_cast<ptrdiff_t>(n) * Channels;
        int32_t in = 0;
        std::memcpy(&in, frame, sizeof(int16_t) * Channels);
        const __m128i wide = _mm_cvtsi32_si128(in);
        __m128d v = _mm_cvtepi32_pd(_mm_srai_epi32(_mm_unpacklo_epi16(wide, wide), 16));
        for (int s = 0; s < kLowCutSections; ++s) v = rc_high_pass_lanes(v, i[s], p[s], rc);
        v = drive_limit_lanes(dl, prev, v);
        // int16(clamp(float(trunc(v)))) is trunc(clamp(v)): both hold at the 16-bit range, and
        // inside it the truncated value is exact as a float.
        v = resonator_lanes(v, q, ri, rp, res);
        const __m128i out = _mm_cvttpd_epi32(_mm_max_pd(lo, _mm_min_pd(hi, v)));
        const int32_t packed = _mm_cvtsi128_si32(_mm_packs_epi32(out, out));
        std::memcpy(frame, &packed, sizeof(int16_t) * Channels);
    }
    for (int s = 0; s < kLowCutSections; ++s) {
        store(i[s], lc.current[s][kRcHighPass]);
        store(p[s], lc.prev_in[s][kRcHighPass]);
    }
    store(q, tone.aux[0][0]);
    store(ri, tone.aux[1][0]);
    store(rp, tone.aux[2][0]);
    alignas(16) int32_t held[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(held), _mm_cvttpd_epi32(prev));
    for (int c = 0; c < Channels; ++c) fx.dist_prev[c] = held[c];
}
#endif

}  // namespace

void distortion_drive_limit(Distortion& fx, float* block, int count, int channel) {
    const int ch = channel == 1 ? 1 : 0;
    const DriveLimit dl(fx.params);
    double prev = fx.dist_prev[ch];
    for (int n = 0; n < count; ++n) block[n] = drive_limit_step(dl, prev, block[n]);
    fx.dist_prev[ch] = static_cast<int32_t>(prev);
}

void fx_process(Distortion& fx, int16_t* pcm, const StageContext& ctx) {
    const int frames = ctx.frames;
    const int channels = ctx.channels;
    if (channels != 1 && channels != 2) return;
#if defined(__SSE2__)
    const ResonatorCoefs res = resonator_coefs(fx.params.dist_tone_hz, ctx.rate, channels);
    if (channels == 2)
        run_frames<2>(fx, pcm, frames, res);
    else
        run_frames<1>(fx, pcm, frames, res);
#else
    // Stage by stage, one channel after the other.
    float* w = ctx.work;
    for (int c = 0; c < channels; ++c) {
        for (int n = 0; n < frames; ++n) w[n] = pcm[static_cast<ptrdiff_t>(n) * channels + c];
        rc_run(fx.low_cut, w, frames, kRcHighPass, c);
        distortion_drive_limit(fx, w, frames, c);
        resonator_run(fx.tone, w, frames, fx.params.dist_tone_hz, ctx.rate, channels, c);
        for (int n = 0; n < frames; ++n)
            pcm[static_cast<ptrdiff_t>(n) * channels + c] = static_cast<int16_t>(std::clamp(w[n], -32768.0f, 32767.0f));
    }
#endif
}

}  // namespace vemo
