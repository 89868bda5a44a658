// In-place complex radix-2 FFT on interleaved float data, unscaled in both directions.
#pragma once

namespace vemo {

// Largest transform the pitch changer uses (complex points).
constexpr int kFftMaxPoints = 8192;

// Twiddle factors of every butterfly stage for one size, produced by the same running
// multiplication the transform is defined with, so a table lookup gives the identical values.
struct FftTwiddles {
    int points = 0;  // size the table was built for; 0 = not built
    // Stage with group size G keeps its G/2 factors at [G/2 - 1, G - 1); N - 1 in all.
    // Only the forward (sign -1) imaginary parts are kept: the inverse ones are their exact negation.
    double re[kFftMaxPoints] = {};
    double im[kFftMaxPoints] = {};
};

// Builds the table for `points` complex values (a power of two, 1..kFftMaxPoints).
void fft_prepare(FftTwiddles& tw, int points);

// Transforms `points` interleaved complex values in place; sign -1 forward, +1 inverse.
// `tw` must have been prepared for `points`.
void fft(float* data, int points, int sign, const FftTwiddles& tw);

}  // namespace vemo
