// Robustness under hostile hosts: random and malformed records, odd chain orders and buffer
// shapes, extreme signals.  Nothing may crash, write outside the buffer, or leave the effects
// unable to recover.
#include <string>
#include <vector>

#include "random_records.h"
#include "test_support.h"

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#define TORTURE_HAVE_MXCSR 1
#endif

namespace vemo::test {
namespace {

using namespace vemo::torture;
using torture::Rng;  // the torture generator, not the engine's

// Byte counts a host may pass: empty, less than a frame, odd, one frame, the slice limit,
// just past it, several slices.
int32_t random_byte_count(Rng& rng, int channels) {
    const int32_t f = 2 * channels;
    const int32_t counts[] = {0, 1, rng.range(2, f + 1), f, 4096 * f, 4096 * f + rng.range(1, f - 1 + (channels == 1)),
                              4097 * f, 10000 * f + rng.range(0, 3), rng.range(1, 5000) * f + rng.range(0, f - 1)};
    return counts[std::min(rng.range(0, 9), 8)];
}

// One vemomix_change on a guarded buffer; checks the return value, the canaries and the
// bytes past the last whole frame.
::testing::AssertionResult guarded_change(Rng& rng, int channels, int32_t bytes, Signal sig, uint64_t& phase) {
    const size_t samples = (static_cast<size_t>(bytes) + 1) / 2;
    GuardedBuffer buf(samples);
    fill_signal(buf.samples(), samples, channels, sig, rng, phase);
    const size_t whole = static_cast<size_t>(bytes) / 2 / channels * channels * 2;
    const auto* raw = reinterpret_cast<const uint8_t*>(buf.samples());
    const std::vector<uint8_t> tail(raw + whole, raw + samples * 2);
    const int32_t ret = vemomix_change(buf.samples(), bytes);
    if (ret != bytes) return ::testing::AssertionFailure() << "returned " << ret << " for " << bytes << " bytes";
    if (!buf.guards_intact())
        return ::testing::AssertionFailure() << "wrote outside " << bytes << " bytes (signal " << int(sig) << ")";
    if (!std::equal(tail.begin(), tail.end(), raw + whole))
        return ::testing::AssertionFailure() << "changed the bytes after the last whole frame of " << bytes;
    return ::testing::AssertionSuccess();
}

Signal random_signal(Rng& rng) { return static_cast<Signal>(rng.range(0, static_cast<int>(Signal::kCount) - 1)); }

// The defaults with one effect on, alone in the chain.
EffectSettings only(int type) {
    EffectSettings s = current_record();
    set_all_flags(s, 0);
    set_flag(s, type, 1);
    set_chain(s, {type});
    return s;
}

struct Response {
    double rms = 0;     // of the steady part of the programme
    int tail_peak = 0;  // largest magnitude at the end of the silence that follows it
};

// Applies a valid record and clears the history, then plays moderate noise for 10 buffers and
// silence for 12; measures the second half of the noise and the last quarter of the silence.
// Broadband input keeps the level steady through sweeps and random reflection taps.  Two effects
// keep what a wild record left through set and refresh, and need silence to lose it: the
// distortion's limiter walks its held sample back by dist_max_step per sample, from as far as
// the int32 range (about 2^31 / 10000 frames), and the phaser's stages, which full feedback can
// drive to their bound of 1e30, die away at the slow end of the sweep.
Response settle_and_measure(const EffectSettings& s, int channels) {
    vemomix_set(s);
    vemomix_datarefresh();
    std::vector<int16_t> buf(static_cast<size_t>(4096) * channels);
    for (int b = 0; (s.dist_enabled == 1 || s.phaser_enabled == 1) && b < 56; ++b) {
        std::fill(buf.begin(), buf.end(), 0);
        vemomix_change(buf.data(), static_cast<int32_t>(buf.size() * 2));
    }
    buf.resize(static_cast<size_t>(2048) * channels);
    Rng rng(7);
    double sum = 0;
    Response r;
    for (int b = 0; b < 22; ++b) {
        for (int16_t& v : buf) v = b < 10 ? static_cast<int16_t>(rng.range(-8000, 8000)) : 0;
        vemomix_change(buf.data(), static_cast<int32_t>(buf.size() * 2));
        for (int16_t v : buf) {
            if (b >= 5 && b < 10) sum += static_cast<double>(v) * v;
            if (b >= 19) r.tail_peak = std::max(r.tail_peak, std::abs(static_cast<int>(v)));
        }
    }
    r.rms = std::sqrt(sum / (5.0 * buf.size()));
    return r;
}

// A recovered engine answers like a fresh one: the programme comes through at about the same
// level (not stuck at silence or full scale) and the silence after it dies down about as far.
::testing::AssertionResult responses_match(const Response& fresh, const Response& got) {
    const bool level_ok =
        (fresh.rms < 50 && got.rms < 50) || (got.rms >= fresh.rms * 0.5 && got.rms <= fresh.rms * 2 + 50);
    if (level_ok && got.tail_peak <= std::max(3 * fresh.tail_peak, 128)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "noise rms " << got.rms << " (fresh engine " << fresh.rms << "), tail peak "
                                         << got.tail_peak << " (fresh " << fresh.tail_peak << ")";
}

// Random records (inside and outside the editor's ranges), chains, editor actions and buffer
// shapes at every rate and channel count, from a freshly loaded library; afterwards each effect
// alone, with its defaults and a data refresh, must answer as it did in the fresh engine.
TEST(Torture, RandomSessionsAtEveryFormatRecover) {
    Rng rng(0x7011);
    for (int rate : {11025, 22050, 44100, 48000, 32000}) {
        for (int channels = 1; channels <= 2; ++channels) {
            SCOPED_TRACE(::testing::Message() << rate << " Hz, " << channels << " channel(s)");
            start_library(rate, channels);
            // Where records are refused and nothing clears the history (a rate without equaliser
            // tables), parameters never leave their defaults: only the calls themselves are checked.
            const bool check = rate_supported(rate);
            std::vector<EffectSettings> alone(17);
            std::vector<Response> fresh(17);
            for (int t = 1; t <= 16 && check; ++t) fresh[t] = settle_and_measure(alone[t] = only(t), channels);

            const EffectSettings base = current_record();
            uint64_t phase = 0;
            for (int round = 0; round < 16; ++round) {
                vemomix_set(round == 0 ? all_on(base) : random_record(base, rng, rng.chance(50)));
                if (!rate_supported(rate))  // records are refused here; the switches still work
                    for (int t = 1; t <= 16; ++t) editor().chain.on_switch_clicked(t, rng.chance(60));
                if (rng.chance(20)) editor().eq.choose_band_count(rng.pick(kBandButtonCounts));
                if (rng.chance(20)) {
                    editor().chain.select_row(rng.range(0, 20));
                    rng.chance(50) ? editor().chain.move_selected(-1) : editor().chain.move_selected(1);
                }
                if (rng.chance(15)) vemomix_datarefresh();
                for (int b = 0; b < 4; ++b) {
                    const int32_t bytes = b == 0 ? 4096 * 2 * channels : random_byte_count(rng, channels);
                    ASSERT_TRUE(guarded_change(rng, channels, bytes, random_signal(rng), phase)) << "round " << round;
                }
            }
            for (int t = 1; t <= 16 && check; ++t)
                EXPECT_TRUE(responses_match(fresh[t], settle_and_measure(alone[t], channels))) << kEffects[t].key;
        }
    }
    vemomix_close();
}

// Values a field's arithmetic may choke on, tried on every parameter of every effect: zero, signs,
// the 16-bit wrap, the ends of the int32 range; for float fields also NaN and the infinities.
constexpr double kWildValues[] = {0, -1, -32768, 65536, 2147483647, -2147483648.0, 1e30, NAN, INFINITY, -INFINITY};

// Traps that need two fields, or one value a rule singles out.
struct Hazard {
    int type;
    const char* what;
    void (*apply)(EffectSettings&);
};
#define H(type, ...) Hazard{type, #__VA_ARGS__, [](EffectSettings& s) { __VA_ARGS__; }}
const Hazard kHazards[] = {
    H(1, s.eq_band_count = 7), H(1, s.eq_band_count = 31; s.eq_extra_filter = 1; s.eq_preamp_pos = 2147483647;
                                for (int b = 0; b < 31; ++b) s.eq_band_level[b] = b % 2 ? 2147483647 : -2147483647 - 1),
    H(2, s.comp_threshold_db = -32765; s.comp_slope_x10 = 1000), H(3, s.pitch_frame_size = 3),
    H(3, s.pitch_frame_size = 256; s.pitch_oversampling = 1000), H(5, s.odrive_lowpass_hz = 0; s.odrive_lowpass_on = 1),
    H(6, s.am_depth_pct = 32767; s.am_waveform = 5), H(7, s.echo_delay_s = 1.7f),
    H(7, s.echo_delay_s = 0.0f; s.echo_feedback = 1.0f),
    H(7, s.echo_feedback = -1.0f / 1.3f /* the ratio's denominator becomes 0 */),
    H(9, s.phaser_low_hz = 4000; s.phaser_high_hz = 10), H(12, s.reverb_feedback_db = 30),
    H(12, s.reverb_room_m = 32767; s.reverb_offset_m = -32768; s.reverb_tap_count = 100),
    H(14, s.bass_freq_hz = 5513 /* Nyquist at 11025 */), H(16, s.vibrato_depth = 0),
};
#undef H

// Each effect alone, fed loud and pathological signals under every wild value of each of its
// fields in turn, then under the traps above, then under random wild records (any buffer shape,
// sometimes the effect three times in the chain); after each field, trap and record, its defaults
// and a data refresh give the fresh engine's response.
TEST(Torture, EachEffectRecoversFromHazardsAndWildRecords) {
    Rng rng(0xEFFEC7);
    using enum Signal;
    const Signal loud[] = {kSquare, kNoise, kDc, kImpulses, kTiny, kSine};
    const std::pair<int, int> formats[] = {{11025, 1}, {22050, 2}, {44100, 1}, {44100, 2}, {48000, 2}};
    for (int type = 1; type <= 16; ++type) {
        for (auto [rate, channels] : formats) {
            start_library(rate, channels);
            const EffectSettings good = only(type);
            const Response fresh = settle_and_measure(good, channels);
            uint64_t phase = 0;
            auto play = [&](const EffectSettings& bad, int32_t bytes, const std::string& what) {
                vemomix_set(bad);
                for (const Signal sig : loud) ASSERT_TRUE(guarded_change(rng, channels, bytes, sig, phase)) << what;
            };
            auto recovered = [&](const std::string& what) {
                EXPECT_TRUE(responses_match(fresh, settle_and_measure(good, channels)))
                    << kEffects[type].key << " at " << rate << "/" << channels << ": " << what;
            };
            const int32_t whole = 4096 * 2 * channels;
            // Every field at 11025 and 48000 Hz, the rest of the formats for the traps and records.
            for (const ParamRow& r : effect_rows(type)) {
                if (r.role == FieldRole::kEnable || (rate != 11025 && rate != 48000)) continue;
                for (double v : kWildValues) {
                    EffectSettings bad = good;
                    // Integer fields take the value limited to int32, a byte its low 8 bits.
                    const int32_t i = std::isfinite(v) ? static_cast<int32_t>(std::clamp(v, -2147483648.0, 2147483647.0)) : 0;
                    if (r.type == FieldType::kF32) put(bad, r.offset, static_cast<float>(v));
                    else if (std::isfinite(v) && r.type == FieldType::kI32) put(bad, r.offset, i);
                    else if (std::isfinite(v) && r.type == FieldType::kU8) bytes_of(bad)[r.offset] = static_cast<uint8_t>(i);
                    else continue;
                    play(bad, whole, std::string(r.field) + " = " + std::to_string(v));
                }
                recovered(std::string(r.field) + " after its wild values");
            }
            for (const Hazard& h : kHazards) {
                if (h.type != type) continue;
                EffectSettings bad = good;
                h.apply(bad);
                play(bad, whole, h.what);
                recovered(h.what);
            }
            for (int n = 0; n < 4; ++n) {
                EffectSettings bad = good;
                effect_values(bad, type, rng, false);
                if (rng.chance(30)) set_chain(bad, {type, type, type});
                play(bad, random_byte_count(rng, channels), "random wild record");
                recovered("random wild record");
            }
        }
    }
}

// Formats far outside the design (no rate, a negative one, one far above any card's) take every
// effect, switched on by hand since records are refused there, through loud and pathological
// signals without a fault or a write outside the buffer.
TEST(Torture, EveryEffectSurvivesAbsurdRates) {
    Rng rng(0xAB5);
    for (int rate : {0, -44100, 1000, 192000}) {
        for (int channels = 1; channels <= 2; ++channels) {
            start_library(rate, channels);
            for (int t = 1; t <= 16; ++t) editor().chain.on_switch_clicked(t, true);
            uint64_t phase = 0;
            for (Signal sig : {Signal::kSquare, Signal::kNoise, Signal::kTiny, Signal::kImpulses})
                ASSERT_TRUE(guarded_change(rng, channels, 4096 * 2 * channels, sig, phase)) << rate << "/" << channels;
        }
    }
    vemomix_close();
}

// Byte counts that are not counts at all, and null buffers, come back unchanged.  (Counts short of
// a frame and odd counts are among the random ones above, whose tails are checked.)
TEST(Torture, NegativeCountsAndNullBuffersAreLeftAlone) {
    start_library(44100, 2);
    vemomix_set(all_on(current_record()));
    int16_t buf[4] = {1111, -2222, 3333, -4444};
    for (int32_t bytes : {-1, -4096, INT32_MIN}) EXPECT_EQ(vemomix_change(buf, bytes), bytes);
    EXPECT_EQ(std::vector<int16_t>(buf, buf + 4), (std::vector<int16_t>{1111, -2222, 3333, -4444}));
    EXPECT_EQ(std::tuple(vemomix_change(nullptr, 16384), vemomix_change(nullptr, 0)), std::tuple(16384, 0));
}

#ifdef TORTURE_HAVE_MXCSR
// The audio path flushes denormals for itself but hands the caller its own control word back,
// rounding mode, flush modes and sticky flags alike.
TEST(Torture, CallerFloatingPointStateSurvives) {
    start_library(44100, 2);
    vemomix_set(all_on(current_record()));
    std::vector<int16_t> buf(2 * 4096);
    Rng rng(3);
    uint64_t phase = 0;
    const unsigned saved = _mm_getcsr();
    // Default; FTZ+DAZ already on; round toward zero; round up with the inexact flag raised.
    for (unsigned csr : {0x1F80u, 0x9FC0u, 0x7F80u, 0x5FA0u}) {
        for (Signal sig : {Signal::kNoise, Signal::kTiny, Signal::kSilence}) {
            fill_signal(buf.data(), buf.size(), 2, sig, rng, phase);
            _mm_setcsr(csr);
            vemomix_change(buf.data(), static_cast<int32_t>(buf.size() * 2));
            const unsigned after = _mm_getcsr();
            _mm_setcsr(saved);
            EXPECT_EQ(after, csr) << std::hex << "caller's MXCSR " << csr << " came back as " << after;
        }
    }
}
#endif

}  // namespace
}  // namespace vemo::test
