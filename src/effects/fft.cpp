#include "effects/fft.h"

#include <cmath>
#include <utility>

namespace vemo {
namespace {

constexpr double kPi = 3.14159265358979323846;

}  // namespace

void fft_prepare(FftTwiddles& tw, int points) {
    tw.points = points;
    for (int group = 2; group <= points; group <<= 1) {
        const int half = group / 2;
        const double arg = 2.0 * kPi / group;
        const double wr = std::cos(arg);
        const double wi = -std::sin(arg);
        double ur = 1.0, ui = 0.0;
        for (int p = 0; p < half; ++p) {
            tw.re[half - 1 + p] = ur;
            tw.im[half - 1 + p] = ui;
            const double next = ur * wr - ui * wi;
            ui = ur * wi + ui * wr;
            ur = next;
        }
    }
}

void fft(float* data, int points, int sign, const FftTwiddles& tw) {
    // Bit-reversal permutation: each pair swapped once.
    for (int i = 1, j = 0; i < points; ++i) {
        int bit = points >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j |= bit;
        if (i < j) {
            std::swap(data[2 * i], data[2 * j]);
            std::swap(data[2 * i + 1], data[2 * j + 1]);
        }
    }
    const double s = sign < 0 ? 1.0 : -1.0;  // the inverse twiddles are the conjugates
    for (int group = 2; group <= points; group <<= 1) {
        const int half = group / 2;
        const double* ure = tw.re + (half - 1);
        const double* uim = tw.im + (half - 1);
        for (int start = 0; start < points; start += group) {
            float* a = data + 2 * start;
            float* b = a + 2 * half;
            for (int p = 0; p < half; ++p) {
                const double ur = ure[p], ui = s * uim[p];
                const double br = b[2 * p], bi = b[2 * p + 1];
                const double tr = br * ur - bi * ui;
                const double ti = br * ui + bi * ur;
                const double ar = a[2 * p], ai = a[2 * p + 1];
                b[2 * p] = static_cast<float>(ar - tr);
                b[2 * p + 1] = static_cast<float>(ai - ti);
                a[2 * p] = static_cast<float>(ar + tr);
                a[2 * p + 1] = static_cast<float>(ai + ti);
            }
        }
    }
}

}  // namespace vemo
