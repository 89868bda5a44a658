// Early reflections from a recirculating delay line (effect type 12).
#pragma once
#include "effects/random.h"
#include <array>
#include <vector>
#include <cstdint>

#include "effects/spare_buffer.h"
#include "effects/stage.h"
#include "vemosoundmix.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct ReverbParams {
    int16_t reverb_tap_count = 20;
    int16_t reverb_room_m = 20;
    int16_t reverb_offset_m = 5;
    int16_t reverb_decay_m = 10;
    int16_t reverb_feedback_m = 20;
    int16_t reverb_feedback_db = -10;
    int16_t reverb_wet_db = -10;
};

// The tap table holds this many reflections; a larger count is limited to it.
constexpr int kReverbMaxTaps = 100;
// Every line position is an unsigned 16-bit value, so the line wraps by itself.
constexpr int kReverbLineLength = 65536;

struct ReverbTap {
    uint16_t delay = 0;  // samples behind the write position
    float weight = 0;
};

struct ReverbChannel {
    ReverbParams params;     // this channel's copy
    uint16_t write_pos = 0;  // 0 at load, never reset afterwards
    int16_t tap_count = 0;   // taps in use, at most kReverbMaxTaps
    std::array<ReverbTap, kReverbMaxTaps> taps{};
    uint16_t feedback_delay = 0;
    float feedback_gain = 0;
    float wet_gain = 0;
    std::vector<float> line = std::vector<float>(kReverbLineLength);
    SpareBuffer<float> spare;  // what the next clear of the line takes
};

struct Reverb {
    ReverbParams params;
    ReverbChannel channel[2];
    RngLink rng;  // the taps' random numbers
};

// trunc(v * rate * k) samples for v metres, k = 1/330 in single precision, the product in
// extended precision; v * rate is a 32-bit product.
int32_t reverb_samples(int16_t metres, int rate);

// vemomix_init: configure with the defaults.
void fx_reset(Reverb& fx, int rate, int channels);
// vemomix_set: both channels take params, draw their taps (channel 0 first), derive the
// feedback delay and gains, and clear their lines.  Write positions stay.
void fx_configure(Reverb& fx, int rate, int channels);
// A live change of tap count or a distance: both channels take params and
// draw new taps, channel 1 first; lines and gains stay.
void reverb_redraw_taps(Reverb& fx, int rate);
// A live change of either level: both channels' gains only.
void reverb_set_levels(Reverb& fx);
// Off the engine lock, before fx_configure or fx_clear: the silent lines they take, whatever
// the values to come.
void fx_prepare_clear(Reverb& fx, int rate, int channels);
void fx_prepare_configure(Reverb& fx, const ReverbParams& next, int rate, int channels);
// A knob moved (params hold its value): the two levels only set gains, every other field
// draws new taps; the lines keep their echoes either way.
void fx_take_change(Reverb& fx, const EffectSettings& next, int changed, int rate, int channels);
// vemomix_datarefresh: both lines to zero; taps, gains and write positions stay.
void fx_clear(Reverb& fx, int rate, int channels);
// What vemomix_get reports: channel 0's parameters.
ReverbParams fx_report(const Reverb& fx);
// One buffer, in place.
void fx_process(Reverb& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
