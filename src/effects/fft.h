// In-place complex radix-2 FFT on interleaved float data, unscaled in both directions.
#pragma once
#include <cstdint>

namespace vemo {

// Largest transform the pitch changer uses (complex points).
constexpr int kFftMaxPoints = 8192;

// Twiddle factors of every butterfly stage for one size, produced by the same running
// multiplication the transform is defined with, so a table lookup gives the identical values.
struct FftTwiddles {
    int points = 0;     // size the table was built for; 0 = not built
    bool wide = false;   // the processor runs the 256-bit butterflies
    bool wider = false;  // and the 512-bit ones
    // Factor i (stage with group size G keeps its G/2 factors from i = G/2 - 1; N - 1 in all)
    // is stored as a lane pair ready for the butterfly: re[2i] = re[2i+1] = Re u,
    // im[2i] = -Im u, im[2i+1] = Im u, for the forward direction. The inverse factors are
    // their exact conjugates.
    alignas(32) double re[2 * kFftMaxPoints] = {};
    alignas(32) double im[2 * kFftMaxPoints] = {};
    // The bit-reversal permutation as the list of index pairs (i, bitrev(i)) with i < bitrev(i).
    int swap_count = 0;
    uint16_t swaps[kFftMaxPoints] = {};
};

// Builds the table for `points` complex values (a power of two, 1..kFftMaxPoints).
void fft_prepare(FftTwiddles& tw, int points);

// Transforms `points` interleaved complex values in place; sign -1 forward, +1 inverse.
// `tw` must have been prepared for `points`.
void fft(float* data, int points, int sign, const FftTwiddles& tw);

// The same transform one butterfly at a time, without vector registers; `fft` gives bit for
// bit the same result on every build.
void fft_plain(float* data, int points, int sign, const FftTwiddles& tw);

}  // namespace vemo
