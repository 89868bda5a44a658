#include "effects/eq_tables.h"

#include <cmath>
#include <cstring>
#include <numbers>

namespace vemo {
namespace {

constexpr const char* kLow10At11025[10] = {"31", "62", "125", "250", "500", "1K", "2K", "3K", "4K", "5.5K"};
constexpr const char* kLow10At22050[10] = {"31", "62", "125", "250", "500", "1K", "2K", "4K", "8K", "11K"};
constexpr const char* kHigh10[10] = {"31", "62", "125", "250", "500", "1K", "2K", "4K", "8K", "16K"};
constexpr const char* kHigh15[15] = {"25", "40",   "63",   "100", "160",  "250", "400", "630",
                                     "1K", "1.6K", "2.5K", "4K",  "6.3K", "10K", "16K"};
// The fifth band is 60 Hz at 44100 Hz and 80 Hz at 48000 Hz; the rest are shared.
constexpr const char* kHigh25At44100[25] = {"20",  "31.5", "40",  "50",  "60",    "100",   "125",  "160",  "250",
                                            "315", "400",  "500", "800", "1K",    "1.25K", "1.6K", "2.5K", "3.15K",
                                            "4K",  "5K",   "8K",  "10K", "12.5K", "16K",   "20K"};
constexpr const char* kHigh25At48000[25] = {"20",  "31.5", "40",  "50",  "80",    "100",   "125",  "160",  "250",
                                            "315", "400",  "500", "800", "1K",    "1.25K", "1.6K", "2.5K", "3.15K",
                                            "4K",  "5K",   "8K",  "10K", "12.5K", "16K",   "20K"};
constexpr const char* kHigh31[31] = {"20",  "25",   "31.5",  "40",   "50",    "63",   "80",    "100",
                                     "125", "160",  "200",   "250",  "315",   "400",  "500",   "630",
                                     "800", "1K",   "1.25K", "1.6K", "2K",    "2.5K", "3.15K", "4K",
                                     "5K",  "6.3K", "8K",    "10K",  "12.5K", "16K",  "20K"};

// "31.5" -> 31.5, "1.25K" -> 1250: all digits as one integer, scaled once, so every
// frequency comes out exact.
double label_hz(const char* label) {
    long digits = 0;
    long divisor = 1;
    bool after_point = false;
    long multiplier = 1;
    for (const char* p = label; *p; ++p) {
        if (*p >= '0' && *p <= '9') {
            digits = digits * 10 + (*p - '0');
            if (after_point) divisor *= 10;
        } else if (*p == '.') {
            after_point = true;
        } else if (*p == 'K') {
            multiplier = 1000;
        }
    }
    return static_cast<double>(digits * multiplier) / static_cast<double>(divisor);
}

// Band-pass with unit peak gain at f0 and -3 dB at the lower band edge f0 / 2^(w/2).
void make_row(EqBandCoef& row, const char* label, int rate, double width_octaves) {
    std::memset(&row, 0, sizeof row);
    std::strncpy(row.label, label, sizeof row.label - 1);
    row.freq = static_cast<float>(label_hz(label));
    const double fs = rate;
    const double f0 = row.freq;
    const double theta0 = 2.0 * std::numbers::pi * f0 / fs;
    const double f1 = f0 / std::pow(2.0, width_octaves / 2.0);
    const double theta1 = 2.0 * std::numbers::pi * f1 / fs;
    const double t = (std::cos(theta1) - std::cos(theta0)) / std::sin(theta1);
    const double beta = (1.0 - t) / (1.0 + t);
    row.beta = static_cast<float>(beta);
    row.alpha = static_cast<float>((1.0 - beta) / 2.0);
    row.gamma = static_cast<float>((1.0 + beta) * std::cos(theta0));
}

template <int N>
void make_table(EqBandCoef (&rows)[N], const char* const (&labels)[N], int rate) {
    const double width = eq_band_width_octaves(N);
    for (int b = 0; b < N; ++b) make_row(rows[b], labels[b], rate, width);
}

struct Tables {
    EqBandCoef at11025_10[10];
    EqBandCoef at22050_10[10];
    EqBandCoef at44100_10[10], at44100_15[15], at44100_25[25], at44100_31[31];
    EqBandCoef at48000_10[10], at48000_15[15], at48000_25[25], at48000_31[31];

    Tables() {
        make_table(at11025_10, kLow10At11025, 11025);
        make_table(at22050_10, kLow10At22050, 22050);
        make_table(at44100_10, kHigh10, 44100);
        make_table(at44100_15, kHigh15, 44100);
        make_table(at44100_25, kHigh25At44100, 44100);
        make_table(at44100_31, kHigh31, 44100);
        make_table(at48000_10, kHigh10, 48000);
        make_table(at48000_15, kHigh15, 48000);
        make_table(at48000_25, kHigh25At48000, 48000);
        make_table(at48000_31, kHigh31, 48000);
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

}  // namespace

double eq_band_width_octaves(int band_count) {
    switch (band_count) {
        case 15:
            return 2.0 / 3.0;
        case 25:
        case 31:
            return 1.0 / 3.0;
        default:
            return 1.0;
    }
}

const EqBandCoef* eq_band_table(int rate, int band_count) {
    const Tables& t = tables();
    switch (rate) {
        case 11025:
            return band_count == 10 ? t.at11025_10 : nullptr;
        case 22050:
            return band_count == 10 ? t.at22050_10 : nullptr;
        case 44100:
        case 48000: {
            const bool r48 = rate == 48000;
            switch (band_count) {
                case 10:
                    return r48 ? t.at48000_10 : t.at44100_10;
                case 15:
                    return r48 ? t.at48000_15 : t.at44100_15;
                case 25:
                    return r48 ? t.at48000_25 : t.at44100_25;
                case 31:
                    return r48 ? t.at48000_31 : t.at44100_31;
                default:
                    return nullptr;
            }
        }
        default:
            return nullptr;
    }
}

}  // namespace vemo
