// Branch-free sine/cosine and arctangent for the phase vocoder's per-bin loops, and the checks
// that prove a float computed from them is bit for bit the one the C library's sin, cos and atan2
// would give. The library calls cost more than the two transforms together; these run several
// bins per instruction, and any bin whose result the check cannot vouch for is recomputed with
// the library call.
#pragma once
#include <cmath>

namespace vemo::vocoder_trig {

// The checks assume the library's results lie within a few units in the last place of the true
// values, which glibc documents for sin, cos and atan2; elsewhere the library calls are used.
#if defined(__GLIBC__)
inline constexpr bool kLibraryWithinFewUlps = true;
#else
inline constexpr bool kLibraryWithinFewUlps = false;
#endif

inline constexpr double kPi = 3.141592653589793;         // nearest double to pi
inline constexpr double kHalfPi = 1.5707963267948966;    // nearest double to pi / 2
inline constexpr double kQuarterPi = 0.7853981633974483; // nearest double to pi / 4

// Phases are floats, so |x| <= 2^36 leaves n = round(x / (pi/2)) below 2^35.4 and every product
// n * kReduce1..4 exact (17-bit pieces of pi/2); the five pieces carry pi/2 to about 2^-120.
inline constexpr double kReducibleLimit = 68719476736.0;  // 2^36
inline constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
inline constexpr double kReduce1 = 0x1.921fp+0;
inline constexpr double kReduce2 = 0x1.6a88p-17;
inline constexpr double kReduce3 = 0x1.0b46p-34;
inline constexpr double kReduce4 = 0x1.1a62p-54;
inline constexpr double kReduce5 = 0x1.8cc51701b839ap-72;

// A certified result may differ from the library's value by at most this fraction of its size
// (the two functions here stay within about 2^-50, the library within 2^-52): thousands of
// times the real difference, and still only about one bin in ten thousand falls back.
inline constexpr double kMargin = 0x1p-40;

// sin x and cos x for |x| <= kReducibleLimit (outside, garbage: the caller checks the range),
// with `slack`, a bound on their distance from the library's values that holds thousands of times
// over: relative while no reduction took place, else with 2^-52 absolute from the reduction.
struct SinCos {
    double s, c, slack_s, slack_c;
};
[[gnu::always_inline]] inline SinCos sincos_fast(double x) {
    constexpr double kRound = 0x1.8p52;  // adding and taking it away rounds to an integer
    const double n = (x * kTwoOverPi + kRound) - kRound;
    // n mod 4 from the distance of n / 4 to its nearest integer: 0, 1/4, +-1/2 or -1/4 (exact).
    const double quarter = n * 0.25;
    const double frac = quarter - ((quarter + kRound) - kRound);
    const bool odd = (frac == 0.25) | (frac == -0.25);
    const bool upper_half = (frac == 0.5) | (frac == -0.5) | (frac == -0.25);
    const bool cos_negative = (frac == 0.25) | (frac == 0.5) | (frac == -0.5);
    double r = x - n * kReduce1;  // exact: both sides are multiples of a common step
    r -= n * kReduce2;
    r -= n * kReduce3;
    r -= n * kReduce4;
    r -= n * kReduce5;
    const double r2 = r * r;
    // sin r to r^15 and cos r to r^16: the first terms left out are below 2^-54.
    const double sp =
        r + r * r2 *
                (-1.0 / 6 + r2 * (1.0 / 120 + r2 * (-1.0 / 5040 + r2 * (1.0 / 362880 + r2 * (-1.0 / 39916800 +
                 r2 * (1.0 / 6227020800.0 + r2 * (-1.0 / 1307674368000.0)))))));
    const double cp =
        1.0 - 0.5 * r2 +
        r2 * r2 *
            (1.0 / 24 + r2 * (-1.0 / 720 + r2 * (1.0 / 40320 + r2 * (-1.0 / 3628800 + r2 * (1.0 / 479001600.0 +
             r2 * (-1.0 / 87178291200.0 + r2 * (1.0 / 20922789888000.0)))))));
    const double sin_q = odd ? cp : sp;
    const double cos_q = odd ? sp : cp;
    SinCos out;
    out.s = upper_half ? -sin_q : sin_q;
    out.c = cos_negative ? -cos_q : cos_q;
    const double reduced = n != 0.0 ? 0x1p-44 : 0.0;
    out.slack_s = std::fabs(out.s) * kMargin + reduced;
    out.slack_c = std::fabs(out.c) * kMargin + reduced;
    return out;
}

// atan2(y, x) for finite y and x, to within 2^-50 of its size, with the library's exact values
// for zero arguments (+-0, +-pi, +-pi/2).
[[gnu::always_inline]] inline double atan2_fast(double y, double x) {
    const double ax = std::fabs(x), ay = std::fabs(y);
    const bool steep = ay > ax;
    const double hi = steep ? ay : ax;
    const double lo = steep ? ax : ay;
    // Past tan(pi/8), atan a = pi/4 + atan((a - 1) / (a + 1)); the differences are exact here.
    const bool upper = lo > 0.41421356237309503 * hi;
    const double t = (upper ? lo - hi : lo) / (upper ? lo + hi : hi);
    // Half angle, |h| <= tan(pi/16), then the series to h^19 (the next term is below 2^-51).
    const double h = t / (1.0 + std::sqrt(1.0 + t * t));
    const double z = h * h;
    const double series =
        h + h * z *
                (-1.0 / 3 + z * (1.0 / 5 + z * (-1.0 / 7 + z * (1.0 / 9 + z * (-1.0 / 11 + z * (1.0 / 13 +
                 z * (-1.0 / 15 + z * (1.0 / 17 + z * (-1.0 / 19)))))))));
    double r = (upper ? kQuarterPi : 0.0) + 2.0 * series;
    r = steep ? kHalfPi - r : r;
    r = x < 0.0 ? kPi - r : r;
    r = hi == 0.0 ? (std::copysign(1.0, x) < 0.0 ? kPi : 0.0) : r;
    return std::copysign(r, y);
}

// Whether float(magn * v) is the same float for every v within `slack` of the value at hand:
// then it is the library's float too. v clear of 0 by more than the slack fixes the sign, so the
// float comparison (which takes -0 for +0) is enough.
[[gnu::always_inline]] inline bool product_is_certain(double magn, double v, double slack, float& out) {
    const double p = magn * v;
    const double m = std::fabs(magn) * slack;
    out = static_cast<float>(p);
    return (static_cast<float>(p - m) == static_cast<float>(p + m)) & (std::fabs(v) > slack) &
           (std::fabs(magn) <= 0x1p100);
}

}  // namespace vemo::vocoder_trig
