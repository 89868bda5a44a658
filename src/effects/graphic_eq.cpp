#include "effects/graphic_eq.h"

namespace vemo {

bool eq_rate_supported(int rate) { return rate == 11025 || rate == 22050 || rate == 44100 || rate == 48000; }

int eq_select_table(EqState& eq, int band_count, int rate) {
    eq.eq_bands_in_use = (rate == 11025 || rate == 22050) ? 10
                         : (band_count == 15 || band_count == 25 || band_count == 31) ? band_count
                                                                                      : 10;
    return (rate == 11025 || rate == 22050 || rate == 48000) ? rate : 44100;
}

void eq_set_gain(EqState&, float, int, int) {}

void eq_reset(EqState&) {}

void eq_set_band_count(EqState& eq, int n, int rate, int) {
    eq.eq_band_count = n;
    eq_select_table(eq, n, rate);
}

// Not built yet: the stage leaves the samples as they are.
void eq_process(EqState&, int16_t*, const StageContext&) {}

}  // namespace vemo
