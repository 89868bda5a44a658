#include "effects/echo.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "effects/delay_line.h"

namespace vemo {
namespace {

// A tap delay of trunc(scale * T) interleaved samples, limited to the ring it reads
// (a record's delay may be negative, NaN or far beyond the 1.6 s the editor offers).
int32_t tap_delay(double scale, float seconds, size_t ring) {
    const double d = std::trunc(scale * seconds);
    if (!(d > 0.0)) return 0;
    return static_cast<int32_t>(std::min(d, static_cast<double>(ring)));
}

// trunc(y), of which the low 16 bits are kept: echoes beyond the 16-bit range wrap, as
// the stage stores them unlimited.  Only a NaN or infinite feedback gives a non-finite y; it stores 0.
int16_t low16(double y) {
    if (!std::isfinite(y)) return 0;
    double t = std::trunc(y);
    if (!(std::fabs(t) < 9.0e18)) t = std::fmod(t, 65536.0);
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<int64_t>(t)));
}

// The normalisation N, a 32-bit float: it keeps the loop gain N * 1.5 * g below 1 for every
// feedback g the editor offers (0.815 at g = 1), so the echoes die away.
float normalisation(float g) { return static_cast<float>((g * 0.25 + 1.0) / (g * 1.3 + 1.0)); }

// Appends n samples to a ring, wrapping as often as needed.
void append(std::vector<int16_t>& ring, int32_t& pos, const int16_t* s, int n) {
    const int32_t size = static_cast<int32_t>(ring.size());
    if (size == 0) return;
    for (int k = 0; k < n;) {
        const int run = std::min(n - k, size - pos);
        std::copy_n(s + k, run, ring.begin() + pos);
        k += run;
        pos += run;
        if (pos == size) pos = 0;
    }
}

// The output D samples before sample k of this buffer, if it belongs to an earlier buffer.
inline double tap(const std::vector<int16_t>& ring, int32_t pos, int32_t d, int k) {
    if (k >= d) return 0.0;
    int32_t i = pos - (d - k);  // d <= ring size, so one wrap is enough
    if (i < 0) i += static_cast<int32_t>(ring.size());
    return ring[static_cast<size_t>(i)];
}

}  // namespace

void fx_reset(Echo& fx, int rate, int channels) {
    fx.params = EchoParams{};
    fx_release(fx);
    // Five seconds of interleaved samples, at least one whole buffer for buffer 1.
    const size_t five_s = static_cast<size_t>(line_rate(rate)) * static_cast<size_t>(std::clamp(channels, 1, 2)) * 5;
    fx.size_bytes = static_cast<int32_t>(five_s * 2);
    fx.input.resize(std::max(five_s, static_cast<size_t>(kMaxFrames) * 2));
    fx.line1.assign(five_s, 0);
    fx.line2.assign(five_s * 2, 0);
    fx_configure(fx, rate, channels);
}

void fx_configure(Echo& fx, int rate, int channels) {
    const double interleaved = static_cast<double>(channels) * rate;
    fx.d1 = tap_delay(interleaved, fx.params.echo_delay_s, fx.line1.size());
    fx.d2 = tap_delay(2.0 * interleaved, fx.params.echo_delay_s, fx.line2.size());
}

// Up to 15 seconds of stereo: cleared as plain memory, whatever the build's instrumentation.
void fx_clear(Echo& fx, int, int) {
    fx.spare1.swap_in(fx.line1, fx.line1.size());
    fx.spare2.swap_in(fx.line2, fx.line2.size());
}

void fx_prepare_clear(Echo& fx, int, int) {
    fx.spare1.prepare(fx.line1.size());
    fx.spare2.prepare(fx.line2.size());
}

void fx_release(Echo& fx) {
    std::vector<int16_t>().swap(fx.input);
    std::vector<int16_t>().swap(fx.line1);
    std::vector<int16_t>().swap(fx.line2);
    fx.spare1.release();
    fx.spare2.release();
    fx.size_bytes = 0;
    fx.pos1 = fx.pos2 = 0;
}

void fx_process(Echo& fx, int16_t* pcm, const StageContext& ctx) {
    const int n = std::min(ctx.sample_count, static_cast<int>(fx.input.size()));
    if (n <= 0) return;
    const double ratio = normalisation(fx.params.echo_feedback);
    const double g = fx.params.echo_feedback;
    const double direct = g * 0.2 + 1.0, half = 0.5 * g;
    std::copy_n(pcm, n, fx.input.begin());
    for (int k = 0; k < n; ++k) {
        const double a1 = tap(fx.line1, fx.pos1, fx.d1, k);
        const double a2 = tap(fx.line2, fx.pos2, fx.d2, k);
        pcm[k] = low16(ratio * (fx.input[static_cast<size_t>(k)] * direct + g * a1 + half * a2));
    }
    append(fx.line1, fx.pos1, pcm, n);
    append(fx.line2, fx.pos2, pcm, n);
}

}  // namespace vemo
