// The graphic equaliser's constant band tables: one per sample rate and band count
// (10 bands at 11025 and 22050 Hz; 10, 15, 25 and 31 bands at 44100 and 48000 Hz).
#pragma once

namespace vemo {

// One row of a band table: a band-pass H(z) = alpha (1 - z^-2) / (1 - gamma z^-1 + beta z^-2)
// with unit gain at its centre frequency.
struct EqBandCoef {
    float freq;      // centre frequency, Hz
    char label[12];  // slider caption, NUL-padded
    float beta;      // weight of y[n-2]
    float alpha;     // weight of x[n] - x[n-2]
    float gamma;     // weight of y[n-1]
};
static_assert(sizeof(EqBandCoef) == 28, "a band row is 28 bytes");

constexpr int kEqTableCount = 10;

// The table made for exactly this rate (11025, 22050, 44100, 48000) and band count
// (10 at the low rates; 10, 15, 25, 31 at the high ones), or nullptr when there is none.
// The tables are built once, on first use, and never change afterwards.
const EqBandCoef* eq_band_table(int rate, int band_count);

// Band width of a table in octaves: 1 for 10 bands, 2/3 for 15, 1/3 for 25 and 31.
double eq_band_width_octaves(int band_count);

}  // namespace vemo
