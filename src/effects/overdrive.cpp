#include "effects/overdrive.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>

namespace vemo {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTau = 0.0002209;                      // input network time constant, s
constexpr double kInv4700 = 0.0002127659574468085;      // 1 / 4700 ohm
constexpr double kInvVt = 3.3333333333333335;           // 1 / 0.3 V
constexpr double kIsOverVt = 3.333333333333333e-11;     // saturation current / 0.3 V
constexpr double kIs = 1e-11;                           // diode saturation current, A
constexpr double kVolts = 0.0032;                       // sample units to volts
constexpr double kExpLimit = 700.0;                     // exp() beyond this overflows or goes subnormal

// A format without samples is taken as one sample a second.
int positive_rate(int rate) { return rate >= 1 ? rate : 1; }

// A normalised section: no division by a0.
inline double biquad_run(const Biquad<double>& q, BiquadMemory<double>& m, double x) {
    const double y = q.b0 * x + q.b1 * m.x1 + q.b2 * m.x2 - q.a1 * m.y1 - q.a2 * m.y2;
    m.x2 = m.x1;
    m.x1 = x;
    m.y2 = m.y1;
    m.y1 = y;
    return y;
}

// Truncation toward zero, of which the low 16 bits are kept (a value beyond the int32 range
// converts as the processor does, to 0x80000000).
inline int16_t low16(float v) {
    const int32_t i = (v > -2147483648.0f && v < 2147483648.0f) ? static_cast<int32_t>(v) : INT32_MIN;
    return static_cast<int16_t>(static_cast<uint32_t>(i) & 0xFFFFu);
}

bool silent_at_probes(const float* w, int frames) {
    static constexpr int kProbes[] = {0, 1, 16, 17, 24, 25, 32, 33};
    for (int p : kProbes)
        if (p < frames && w[p] != 0.0f) return false;
    return w[frames - 1] == 0.0f;
}

}  // namespace

Biquad<double> lowpass_design(double fs, double fc, double ripple, int lowpass) {
    double rp = -std::cos(kPi / 4.0);
    double ip = std::sin(kPi / 4.0);
    if (ripple > 0.0) {
        const double es = std::sqrt((100.0 / (100.0 - ripple)) * (100.0 / (100.0 - ripple)) - 1.0);
        const double u = 1.0 / es + std::sqrt(1.0 / (es * es));
        const double kx = std::cosh(0.5 * std::log(u - 1.0));
        const double vx = 0.5 * std::log(u + 1.0);
        rp = rp * std::sinh(vx) / kx;
        ip = ip * std::cosh(vx) / kx;
    }
    const double t = 2.0 * std::tan(0.5);
    const double w = 2.0 * kPi * fc / fs;
    const double m = rp * rp + ip * ip;
    const double t2 = t * t;
    double d = 4.0 - 4.0 * rp * t + m * t2;
    const double x0 = t2 / d;
    const double x1 = 2.0 * t2 / d;
    const double x2 = t2 / d;
    const double y1 = (8.0 - 2.0 * m * t2) / d;
    const double y2 = (-4.0 - 4.0 * rp * t - m * t2) / d;
    const double k = lowpass ? std::sin(0.5 - w / 2.0) / std::sin(0.5 + w / 2.0)
                             : -std::cos(w / 2.0 + 0.5) / std::cos(w / 2.0 - 0.5);
    const double k2 = k * k;
    d = 1.0 + y1 * k - y2 * k2;
    Biquad<double> q;
    q.b0 = (x0 - x1 * k + x2 * k2) / d;
    q.b1 = (-2.0 * x0 * k + x1 + x1 * k2 - 2.0 * x2 * k) / d;
    q.b2 = (x0 * k2 - x1 * k + x2) / d;
    q.a0 = 1.0;
    // The transform gives the feedback terms as they are added; a1 and a2 are subtracted.
    q.a1 = -((2.0 * k + y1 + y1 * k2 - 2.0 * y2 * k) / d);
    q.a2 = -((-k2 - y1 * k + y2) / d);
    if (!lowpass) {
        q.b1 = -q.b1;
        q.a1 = -q.a1;
    }
    return q;
}

double overdrive_resistance(const OverdriveParams& p) {
    // The equation divides by R and needs it positive: anything below 1 ohm is taken as 1 ohm.
    return p.odrive_drive_ohms >= 1 ? static_cast<double>(p.odrive_drive_ohms) : 1.0;
}

void fx_reset(Overdrive& fx, int rate, int channels) {
    fx.params = OverdriveParams{};
    rc_design(fx.od_post, 10, 1.0);
    rc_set_cutoff(fx.od_post, fx.params.odrive_lowpass_hz, rate, channels);
    const double fs = 4.0 * positive_rate(rate);
    const double dt = 0.25 / positive_rate(rate);
    fx.od_lp = 0.0;
    fx.od_lp_a = dt / (dt + kTau);
    fx.od_lp_b = kTau / (dt + kTau);
    fx.od_v[0] = fx.od_v[1] = 0.0;
    fx.od_x_prev = 0.0;
    for (int c = 0; c < 2; ++c) fx.od_aa1_mem[c] = fx.od_aa2_mem[c] = BiquadMemory<double>{};
    // Formats under 6 kHz would put the corners past half the 4x rate: they are held at 0.45 fs.
    fx.od_aa1 = lowpass_design(fs, std::min(12000.0, 0.45 * fs), 1.0, 1);
    fx.od_aa2 = lowpass_design(fs, std::min(5500.0, 0.45 * fs), 1.0, 1);
}

// Only the output low-pass follows a record; every memory is kept.
void fx_configure(Overdrive& fx, int rate, int channels) {
    rc_set_cutoff(fx.od_post, fx.params.odrive_lowpass_hz, rate, channels);
}

namespace {

// One Newton step of the node equation; done once the step was at most 0.01 V.  Where u - v is so
// far off that exp() would overflow, the estimate is first put back at the bound that the
// solution cannot exceed, |u - v| <= asinh(|j| / 2e-11) * 0.3.
inline void newton_step(double u, double& v, double j, double r, double neg_inv_r, bool& done) {
    double arg = kInvVt * (u - v);
    if (!(std::fabs(arg) <= kExpLimit)) [[unlikely]] {
        const double bound = std::asinh(std::fabs(j) * 5e10) * 0.3;
        v = arg > 0 ? u - bound : u + bound;
        arg = kInvVt * (u - v);
    }
    const double e = std::exp(arg);
    const double ie = 1.0 / e;
    const double f = (e - ie) * kIs + (u - v) / r + j;
    const double fd = neg_inv_r - (e + ie) * kIsOverVt;
    const double delta = f / fd;
    v = v - delta;
    done = delta >= -0.01 && delta <= 0.01;
}

// Finishes a solve the plain steps did not settle.  In terms of x = u - v the node equation
// h(x) = (e - 1/e) * Is + x / R + j = 0 (e = exp(x / 0.3 V)) rises strictly, and its root lies
// between 0 and -sign(j) * min(R * |j|, 0.3 * asinh(|j| / 2e-11)), an interval of at most about
// 7 V.  Newton steps that stay inside the shrinking interval are kept, the others replaced by its
// midpoint; about ten halvings bring Newton close enough to stay inside, and the solve ends, as
// the plain one does, with a Newton step of at most 0.01 V.
inline double finish_node(double u, double v, double j, double r) {
    const double reach = std::min(r * std::fabs(j), std::asinh(std::fabs(j) * 5e10) * 0.3);
    double lo = j > 0 ? -reach : 0.0, hi = j > 0 ? 0.0 : reach;
    double x = std::clamp(u - v, lo, hi);
    for (int step = 0; step < kOverdriveFinishSteps; ++step) {
        const double e = std::exp(kInvVt * x);
        const double ie = 1.0 / e;
        const double h = (e - ie) * kIs + x / r + j;
        const double slope = 1.0 / r + (e + ie) * kIsOverVt;
        (h > 0 ? hi : lo) = x;
        const double delta = h / slope;
        const bool inside = x - delta >= lo && x - delta <= hi;
        x = inside ? x - delta : 0.5 * (lo + hi);
        if (inside && delta >= -0.01 && delta <= 0.01) break;
    }
    return u - x;
}

// Plain steps one solve may take out of what is left of its channel's budget.
inline int step_limit(int budget) { return budget > kOverdriveLeanSteps ? budget : kOverdriveLeanSteps; }

// A channel's plain-step budget for one buffer (none with exact_solve).
inline int step_budget(const Overdrive& fx, int frames) {
    return fx.exact_solve ? INT_MAX : kOverdriveStepsPerFrame * frames + kOverdriveStepReserve;
}

// The four sub-samples of one input frame, interpolated from the previous input p toward x.
inline void interpolate4(double p, double x, double* s) {
    s[0] = p;
    s[1] = p + 0.25 * (x - p);
    s[2] = p + 0.5 * (x - p);
    s[3] = p + 0.75 * (x - p);
}

// One channel's walk through its buffer, one Newton step per tick, so that two channels' solves
// overlap in the processor without either waiting for the other to settle: each channel takes
// exactly the steps it would take on its own, from its own budget.
struct Lane {
    const Overdrive& fx;
    float* w;
    int frames;
    BiquadMemory<double>& m1;
    BiquadMemory<double>& m2;
    double r, neg_inv_r;
    double p, lp, v;  // previous input, input low-pass, node voltage
    int budget;
    int n = 0, k = 0;  // frame and sub-sample being solved
    int step = 0, limit = 0;
    bool done = false, live = true;
    double sub[4] = {}, u = 0, j = 0;

    void begin() {
        if (k == 0) {
            const double x = w[n] * kVolts;
            interpolate4(p, x, sub);
            p = x;
        }
        u = sub[k];
        lp = fx.od_lp_a * u + fx.od_lp_b * lp;
        j = (u - lp) * kInv4700;
        limit = step_limit(budget);
        step = 0;
        done = false;
    }
    // The solve is over: the plain steps come off the budget, an unsettled one is finished, and
    // the node voltage goes through the anti-alias filters.
    void end() {
        budget -= step;
        if (!done) [[unlikely]] v = finish_node(u, v, j, r);
        const double z = biquad_run(fx.od_aa2, m2, biquad_run(fx.od_aa1, m1, v));
        if (++k == 4) {
            w[n] = static_cast<float>(std::clamp(1000.0 * z, -32768.0, 32767.0));
            k = 0;
            if (++n == frames) {
                live = false;
                return;
            }
        }
        begin();
    }
    void tick() {
        if (step < limit && !done) {
            newton_step(u, v, j, r, neg_inv_r, done);
            ++step;
        } else {
            end();
        }
    }
};

Lane lane(Overdrive& fx, float* w, int frames, int c, double r, double p, double lp) {
    Lane l{fx, w, frames, fx.od_aa1_mem[c], fx.od_aa2_mem[c], r, -1.0 / r, p, lp, fx.od_v[c], step_budget(fx, frames)};
    l.begin();
    return l;
}

// One channel on its own, carrying the shared input and low-pass state through fx.
void run_channel(Overdrive& fx, float* w, int frames, int c, double r) {
    Lane l = lane(fx, w, frames, c, r, fx.od_x_prev, fx.od_lp);
    while (l.live) l.tick();
    fx.od_v[c] = l.v;
    fx.od_lp = l.lp;
    fx.od_x_prev = l.p;
}

// Both channels of a stereo buffer side by side.  Channel 1 starts from the input and low-pass
// state that channel 0 ends with; both are known in advance (the last input, and the one-pole run
// over channel 0's sub-samples), so the two solves are independent.
void run_pair(Overdrive& fx, float* w0, float* w1, int frames, double r) {
    double lp1 = fx.od_lp;
    for (int n = 0; n < frames; ++n) {
        double sub[4];
        interpolate4(n == 0 ? fx.od_x_prev : w0[n - 1] * kVolts, w0[n] * kVolts, sub);
        for (double u : sub) lp1 = fx.od_lp_a * u + fx.od_lp_b * lp1;
    }
    Lane a = lane(fx, w0, frames, 0, r, fx.od_x_prev, fx.od_lp);
    Lane b = lane(fx, w1, frames, 1, r, w0[frames - 1] * kVolts, lp1);
    while (a.live && b.live) {
        a.tick();
        b.tick();
    }
    while (a.live) a.tick();
    while (b.live) b.tick();
    fx.od_v[0] = a.v;
    fx.od_v[1] = b.v;
    fx.od_lp = b.lp;
    fx.od_x_prev = b.p;
}

void reset_node(Overdrive& fx) {
    fx.od_x_prev = 0.0;
    fx.od_v[0] = fx.od_v[1] = 0.0;
}

}  // namespace

void fx_process(Overdrive& fx, int16_t* pcm, const StageContext& ctx) {
    const int frames = ctx.frames;
    const int channels = std::min(ctx.channels, 2);
    if (frames <= 0 || channels <= 0) return;
    float* w[2] = {ctx.work, fx.lane_work};
    bool silent[2] = {false, false};
    for (int c = 0; c < channels; ++c) {
        for (int n = 0; n < frames; ++n) w[c][n] = pcm[static_cast<ptrdiff_t>(n) * ctx.channels + c];
        silent[c] = silent_at_probes(w[c], frames);
    }
    const double r = overdrive_resistance(fx.params);
    if (silent[0]) reset_node(fx);
    if (channels == 2 && !silent[0] && !silent[1]) {
        run_pair(fx, w[0], w[1], frames, r);
    } else {
        for (int c = 0; c < channels; ++c)
            if (!silent[c]) run_channel(fx, w[c], frames, c, r);
    }
    if (channels == 2 && silent[1]) reset_node(fx);
    if (fx.params.odrive_lowpass_on != 0) {
        if (channels == 2 && !silent[0] && !silent[1])
            rc_run_stereo(fx.od_post, w[0], w[1], frames, kRcLowPass);
        else
            for (int c = 0; c < channels; ++c)
                if (!silent[c]) rc_run(fx.od_post, w[c], frames, kRcLowPass, c);
    }
    // A channel that was silent at the probes is left exactly as it came.
    for (int c = 0; c < channels; ++c) {
        if (silent[c]) continue;
        for (int n = 0; n < frames; ++n) pcm[static_cast<ptrdiff_t>(n) * ctx.channels + c] = low16(w[c][n]);
    }
}

}  // namespace vemo
