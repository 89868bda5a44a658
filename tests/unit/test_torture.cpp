// Robustness under hostile hosts: random and malformed records, odd chain orders and buffer
// shapes, extreme signals.  Nothing may crash, write outside the buffer, leave the effects
// unable to recover, or depend on anything but the inputs.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../torture/torture.h"
#include "test_support.h"

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#define TORTURE_HAVE_MXCSR 1
#endif

extern char** environ;

namespace vemo::test {
namespace {

using namespace vemo::torture;

// Byte counts a host may pass: empty, less than a frame, odd, one frame, the slice limit,
// just past it, several slices.
int32_t random_byte_count(Rng& rng, int channels) {
    const int32_t frame = 2 * channels;
    switch (rng.range(0, 9)) {
        case 0: return 0;
        case 1: return 1;
        case 2: return rng.range(2, frame + 1);
        case 3: return frame;
        case 4: return 4096 * frame;
        case 5: return 4096 * frame + rng.range(1, frame - 1 + (channels == 1 ? 1 : 0));
        case 6: return 4097 * frame;
        case 7: return 10000 * frame + rng.range(0, 3);
        default: return rng.range(1, 5000) * frame + rng.range(0, frame - 1);
    }
}

// One vemomix_change on a guarded buffer; checks the return value, the canaries and the
// bytes past the last whole frame.  Folds the output into *hash when given.
::testing::AssertionResult guarded_change(Rng& rng, int channels, int32_t bytes, Signal sig, uint64_t& phase,
                                          uint64_t* hash = nullptr) {
    const size_t samples = (static_cast<size_t>(bytes) + 1) / 2;
    GuardedBuffer buf(samples);
    fill_signal(buf.samples(), samples, channels, sig, rng, phase);
    const size_t whole = static_cast<size_t>(bytes) / 2 / static_cast<size_t>(channels) * static_cast<size_t>(channels) * 2;
    const auto* raw = reinterpret_cast<const uint8_t*>(buf.samples());
    const std::vector<uint8_t> tail(raw + whole, raw + samples * 2);

    const int32_t ret = vemomix_change(buf.samples(), bytes);

    if (ret != bytes) return ::testing::AssertionFailure() << "returned " << ret << " for " << bytes << " bytes";
    if (!buf.guards_intact())
        return ::testing::AssertionFailure() << "wrote outside a buffer of " << bytes << " bytes (" << signal_name(sig) << ")";
    if (!std::equal(tail.begin(), tail.end(), raw + whole))
        return ::testing::AssertionFailure() << "changed the bytes after the last whole frame of " << bytes << " bytes";
    if (hash) *hash = fnv1a(buf.samples(), static_cast<size_t>(bytes), *hash);
    return ::testing::AssertionSuccess();
}

Signal random_signal(Rng& rng) { return static_cast<Signal>(rng.range(0, static_cast<int>(Signal::kCount) - 1)); }

// The defaults with every effect on in the default order.
EffectSettings all_on_defaults() {
    EffectSettings s = current_record();
    set_all_flags(s, 1);
    set_default_chain(s);
    return s;
}

// The defaults with one effect on, alone in the chain.
EffectSettings only(int type) {
    EffectSettings s = current_record();
    set_all_flags(s, 0);
    set_flag(s, type, 1);
    set_chain(s, {type});
    return s;
}

// Applies a valid record and clears the history, then measures.  The distortion's limiter
// keeps its held sample through both and walks it back by dist_max_step per sample, from as
// far as the int32 range: about 2^31 / 10000 frames of silence at the default step.
Response settle_and_measure(const EffectSettings& s, int channels) {
    vemomix_set(s);
    vemomix_datarefresh();
    if (s.dist_enabled == 1) {
        std::vector<int16_t> silence(static_cast<size_t>(4096) * channels);
        for (int b = 0; b < 56; ++b) {
            std::fill(silence.begin(), silence.end(), 0);
            vemomix_change(silence.data(), static_cast<int32_t>(silence.size() * 2));
        }
    }
    return measure_response(channels);
}

std::string describe(const Response& fresh, const Response& got) {
    std::ostringstream o;
    o << "tone rms " << got.rms << " (fresh engine " << fresh.rms << "), tail peak " << got.tail_peak << " (fresh "
      << fresh.tail_peak << ")";
    return o.str();
}

std::string hex_fields(const EffectSettings& s, int type) {
    std::ostringstream o;
    auto* b = reinterpret_cast<const uint8_t*>(&s);
    for (const Field& f : fields()) {
        if (f.type != type) continue;
        uint32_t v;
        std::memcpy(&v, b + f.offset, 4);
        if (f.kind == Kind::kFloat) {
            float x;
            std::memcpy(&x, &v, 4);
            o << " @" << f.offset << "=" << x;
        } else {
            o << " @" << f.offset << "=" << static_cast<int32_t>(v);
        }
    }
    if (type == 3) o << " frame=" << s.pitch_frame_size;
    if (type == 1) o << " bands=" << s.eq_band_count << " preamp=" << s.eq_preamp_pos;
    return o.str();
}

// ----------------------------------------------------------------------------------------

// Random records (inside and outside the editor's ranges), chains, editor actions and buffer
// shapes at every rate and channel count; afterwards each effect alone, with its defaults and
// a data refresh, answers as it did in the fresh engine.
TEST(Torture, RandomSessionsAtEveryFormatRecover) {
    Rng rng(0x7011);
    const int rates[] = {11025, 22050, 44100, 48000, 32000};
    for (int rate : rates) {
        for (int channels = 1; channels <= 2; ++channels) {
            SCOPED_TRACE(::testing::Message() << rate << " Hz, " << channels << " channel(s)");
            start_library(rate, channels);
            // Where records are refused and nothing clears the history (a rate without equaliser
            // tables), parameters never leave their defaults: only the calls themselves are checked.
            const bool recoverable = rate_supported(rate);
            std::vector<EffectSettings> alone(17);
            std::vector<Response> fresh(17);
            for (int t = 1; t <= 16 && recoverable; ++t) {
                alone[t] = only(t);
                fresh[t] = settle_and_measure(alone[t], channels);
            }

            const EffectSettings base = current_record();
            uint64_t phase = 0;
            for (int round = 0; round < 16; ++round) {
                const EffectSettings rec = random_record(base, rng, rng.chance(50));
                vemomix_set(rec);
                if (!recoverable)  // records are refused here; the switches still work
                    for (int t = 1; t <= 16; ++t) editor().on_switch_clicked(t, rng.chance(60));
                if (rng.chance(20)) editor().eq_choose_band_count(rng.pick(kBandButtonCounts));
                if (rng.chance(20)) {
                    editor().select_row(rng.range(0, 20));
                    rng.chance(50) ? editor().move_selected_up() : editor().move_selected_down();
                }
                if (rng.chance(15)) vemomix_datarefresh();
                for (int b = 0; b < 4; ++b)
                    ASSERT_TRUE(guarded_change(rng, channels, random_byte_count(rng, channels), random_signal(rng), phase))
                        << "round " << round;
            }

            for (int t = 1; t <= 16 && recoverable; ++t) {
                const Response got = settle_and_measure(alone[t], channels);
                EXPECT_TRUE(responses_match(fresh[t], got)) << kEffectNames[t] << ": " << describe(fresh[t], got);
            }
        }
    }
}

// Each effect alone, fed loud and pathological signals under wild parameters; after each
// wild record, its defaults and a data refresh must give the fresh engine's response again.
TEST(Torture, EachEffectRecoversFromWildRecords) {
    Rng rng(0xEFFEC7);
    const std::pair<int, int> formats[] = {{44100, 2}, {11025, 1}, {48000, 1}, {22050, 2}};
    const Signal loud[] = {Signal::kSquare, Signal::kNoise, Signal::kDc, Signal::kImpulses, Signal::kTiny};
    for (int type = 1; type <= 16; ++type) {
        for (auto [rate, channels] : formats) {
            start_library(rate, channels);
            const EffectSettings good = only(type);
            const Response fresh = settle_and_measure(good, channels);
            uint64_t phase = 0;
            for (int k = 0; k < 4; ++k) {
                EffectSettings wild = good;
                effect_values(wild, type, rng, false);
                if (rng.chance(30)) set_chain(wild, {type, type, type});
                vemomix_set(wild);
                for (int b = 0; b < 4; ++b)
                    ASSERT_TRUE(guarded_change(rng, channels, random_byte_count(rng, channels), rng.pick(loud), phase))
                        << kEffectNames[type] << " at " << rate << "/" << channels << ":" << hex_fields(wild, type);
                const Response got = settle_and_measure(good, channels);
                EXPECT_TRUE(responses_match(fresh, got))
                    << kEffectNames[type] << " at " << rate << " Hz/" << channels << " ch after" << hex_fields(wild, type)
                    << ": " << describe(fresh, got);
            }
        }
    }
}

// Values each effect's arithmetic is known to choke on: zero periods and cut-offs, corners
// above the Nyquist frequency, runaway feedback, delays longer than the lines.
struct Hazard {
    int type;
    const char* what;
    void (*apply)(EffectSettings&);
};

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();
constexpr int32_t kMin = -2147483647 - 1, kMax = 2147483647;

const Hazard kHazards[] = {
    {1, "eq band count 7", [](EffectSettings& s) { s.eq_band_count = 7; }},
    {1, "eq band count -1, levels +-1000", [](EffectSettings& s) { s.eq_band_count = -1; for (auto& l : s.eq_band_level) l = 1000; s.eq_band_level[1] = -1000; }},
    {1, "eq 31 bands at int extremes", [](EffectSettings& s) { s.eq_band_count = 31; for (int b = 0; b < 31; ++b) s.eq_band_level[b] = b % 2 ? kMax : kMin; s.eq_preamp_pos = kMax; s.eq_extra_filter = 1; }},
    {1, "eq band count 1000", [](EffectSettings& s) { s.eq_band_count = 1000; s.eq_preamp_pos = kMin; }},
    {2, "compressor attack 0 ms", [](EffectSettings& s) { s.comp_attack_ms = 0; }},
    {2, "compressor release 0 ms", [](EffectSettings& s) { s.comp_release_ms = 0; }},
    {2, "compressor negative times", [](EffectSettings& s) { s.comp_attack_ms = -5; s.comp_release_ms = kMin; }},
    {2, "compressor extreme threshold and slope", [](EffectSettings& s) { s.comp_threshold_db = kMax; s.comp_slope_x10 = kMin; }},
    {2, "compressor threshold -32768 dB, slope 1000", [](EffectSettings& s) { s.comp_threshold_db = -32765; s.comp_slope_x10 = 1000; }},
    {3, "pitch frame size 0", [](EffectSettings& s) { s.pitch_frame_size = 0; }},
    {3, "pitch frame size 3", [](EffectSettings& s) { s.pitch_frame_size = 3; }},
    {3, "pitch frame size 16384", [](EffectSettings& s) { s.pitch_frame_size = 16384; }},
    {3, "pitch frame size -8", [](EffectSettings& s) { s.pitch_frame_size = -8; }},
    {3, "pitch oversampling 0", [](EffectSettings& s) { s.pitch_oversampling = 0; }},
    {3, "pitch oversampling -4", [](EffectSettings& s) { s.pitch_oversampling = -4; }},
    {3, "pitch oversampling above frame size", [](EffectSettings& s) { s.pitch_frame_size = 256; s.pitch_oversampling = 1000; }},
    {3, "pitch octaves NaN", [](EffectSettings& s) { s.pitch_octaves = kNaN; }},
    {3, "pitch octaves +inf", [](EffectSettings& s) { s.pitch_octaves = kInf; }},
    {3, "pitch octaves 100", [](EffectSettings& s) { s.pitch_octaves = 100.0f; }},
    {3, "pitch octaves -100", [](EffectSettings& s) { s.pitch_octaves = -100.0f; }},
    {4, "distortion low cut 0 Hz", [](EffectSettings& s) { s.dist_low_cut_hz = 0; }},
    {4, "distortion tone 0 Hz", [](EffectSettings& s) { s.dist_tone_hz = 0; }},
    {4, "distortion negative frequencies", [](EffectSettings& s) { s.dist_low_cut_hz = -350; s.dist_tone_hz = -3000; }},
    {4, "distortion tone above Nyquist", [](EffectSettings& s) { s.dist_tone_hz = 30000; s.dist_low_cut_hz = 100000; }},
    {4, "distortion max step 0", [](EffectSettings& s) { s.dist_max_step = 0; }},
    {4, "distortion max step -5", [](EffectSettings& s) { s.dist_max_step = -5; }},
    {4, "distortion drive and level at int extremes", [](EffectSettings& s) { s.dist_drive = kMax; s.dist_level = kMin; s.dist_max_step = kMax; }},
    {5, "overdrive drive 0 ohms", [](EffectSettings& s) { s.odrive_drive_ohms = 0; }},
    {5, "overdrive drive -520 ohms", [](EffectSettings& s) { s.odrive_drive_ohms = -520; }},
    {5, "overdrive drive int max", [](EffectSettings& s) { s.odrive_drive_ohms = kMax; s.odrive_lowpass_on = 1; }},
    {5, "overdrive low-pass 0 Hz", [](EffectSettings& s) { s.odrive_lowpass_hz = 0; s.odrive_lowpass_on = 1; }},
    {5, "overdrive low-pass -1 Hz", [](EffectSettings& s) { s.odrive_lowpass_hz = -1; s.odrive_lowpass_on = -7; }},
    {5, "overdrive low-pass 100 kHz", [](EffectSettings& s) { s.odrive_lowpass_hz = 100000; s.odrive_lowpass_on = 1; }},
    {6, "am period 0 ms", [](EffectSettings& s) { s.am_period_ms = 0; }},
    {6, "am period 65536 ms (0 as 16 bits)", [](EffectSettings& s) { s.am_period_ms = 65536; }},
    {6, "am period -1000 ms", [](EffectSettings& s) { s.am_period_ms = -1000; }},
    {6, "am depth 32767 %, triangle", [](EffectSettings& s) { s.am_depth_pct = 32767; s.am_waveform = 5; }},
    {6, "am depth -32768 %, period 1 ms", [](EffectSettings& s) { s.am_depth_pct = -32768; s.am_period_ms = 1; }},
    {7, "echo delay NaN", [](EffectSettings& s) { s.echo_delay_s = kNaN; }},
    {7, "echo delay -1 s", [](EffectSettings& s) { s.echo_delay_s = -1.0f; }},
    {7, "echo delay 1.7 s", [](EffectSettings& s) { s.echo_delay_s = 1.7f; }},
    {7, "echo delay 100 s", [](EffectSettings& s) { s.echo_delay_s = 100.0f; }},
    {7, "echo delay +inf", [](EffectSettings& s) { s.echo_delay_s = kInf; }},
    {7, "echo delay 0 s", [](EffectSettings& s) { s.echo_delay_s = 0.0f; s.echo_feedback = 1.0f; }},
    {7, "echo feedback NaN", [](EffectSettings& s) { s.echo_feedback = kNaN; }},
    {7, "echo feedback 1.5", [](EffectSettings& s) { s.echo_feedback = 1.5f; }},
    {7, "echo feedback -2", [](EffectSettings& s) { s.echo_feedback = -2.0f; }},
    {7, "echo feedback -inf", [](EffectSettings& s) { s.echo_feedback = -kInf; }},
    {7, "echo feedback -0.7693 (ratio denominator 0)", [](EffectSettings& s) { s.echo_feedback = -1.0f / 1.3f; }},
    {8, "drift depth 1000", [](EffectSettings& s) { s.drift_depth = 1000; }},
    {8, "drift depth int max", [](EffectSettings& s) { s.drift_depth = kMax; }},
    {8, "drift depth -50", [](EffectSettings& s) { s.drift_depth = -50; }},
    {8, "drift speed 0", [](EffectSettings& s) { s.drift_speed = 0; }},
    {8, "drift speed -5", [](EffectSettings& s) { s.drift_speed = -5; }},
    {8, "drift speed int max", [](EffectSettings& s) { s.drift_speed = kMax; }},
    {8, "drift feedback 1000 (runaway)", [](EffectSettings& s) { s.drift_feedback = 1000; }},
    {8, "drift feedback -1000, wet/dry extremes", [](EffectSettings& s) { s.drift_feedback = -1000; s.drift_wet = kMax; s.drift_dry = kMin; }},
    {9, "phaser low 0 Hz", [](EffectSettings& s) { s.phaser_low_hz = 0; }},
    {9, "phaser low NaN, high inf", [](EffectSettings& s) { s.phaser_low_hz = kNaN; s.phaser_high_hz = kInf; }},
    {9, "phaser low above high", [](EffectSettings& s) { s.phaser_low_hz = 4000; s.phaser_high_hz = 10; }},
    {9, "phaser high 100 kHz", [](EffectSettings& s) { s.phaser_high_hz = 100000; }},
    {9, "phaser rate 0", [](EffectSettings& s) { s.phaser_rate = 0.0f; }},
    {9, "phaser rate -100", [](EffectSettings& s) { s.phaser_rate = -100.0f; }},
    {9, "phaser rate 1e9", [](EffectSettings& s) { s.phaser_rate = 1e9f; }},
    {9, "phaser feedback 100 %", [](EffectSettings& s) { s.phaser_feedback = 100; }},
    {9, "phaser feedback 1000 %", [](EffectSettings& s) { s.phaser_feedback = 1000; }},
    {9, "phaser feedback -1000 %, mix 1000", [](EffectSettings& s) { s.phaser_feedback = -1000; s.phaser_mix = 1000; }},
    {10, "denoise negative lengths", [](EffectSettings& s) { s.denoise_hold = -1; s.denoise_release = -1; s.denoise_attack = kMin; }},
    {10, "denoise zero lengths", [](EffectSettings& s) { s.denoise_hold = 0; s.denoise_release = 0; s.denoise_attack = 0; }},
    {10, "denoise int max lengths", [](EffectSettings& s) { s.denoise_hold = kMax; s.denoise_release = kMax; s.denoise_attack = kMax; }},
    {10, "denoise levels inverted and negative", [](EffectSettings& s) { s.denoise_open_level = -5; s.denoise_close_level = kMax; }},
    {11, "chorus depth 1000", [](EffectSettings& s) { s.chorus_depth = 1000; }},
    {11, "chorus depth int max", [](EffectSettings& s) { s.chorus_depth = kMax; }},
    {11, "chorus depth -1", [](EffectSettings& s) { s.chorus_depth = -1; }},
    {11, "chorus rate 0", [](EffectSettings& s) { s.chorus_rate = 0; }},
    {11, "chorus rate -1", [](EffectSettings& s) { s.chorus_rate = -1; }},
    {11, "chorus rate int max", [](EffectSettings& s) { s.chorus_rate = kMax; }},
    {11, "chorus rate int min", [](EffectSettings& s) { s.chorus_rate = kMin; }},
    {11, "chorus feedback 1000 (runaway)", [](EffectSettings& s) { s.chorus_feedback = 1000; }},
    {11, "chorus wet and dry at int extremes", [](EffectSettings& s) { s.chorus_wet = kMax; s.chorus_dry = kMin; s.chorus_feedback = -1000; }},
    {12, "reverb 0 taps", [](EffectSettings& s) { s.reverb_tap_count = 0; }},
    {12, "reverb -1 taps", [](EffectSettings& s) { s.reverb_tap_count = -1; }},
    {12, "reverb 32767 taps", [](EffectSettings& s) { s.reverb_tap_count = 32767; }},
    {12, "reverb decay 0 m", [](EffectSettings& s) { s.reverb_decay_m = 0; }},
    {12, "reverb decay -10 m", [](EffectSettings& s) { s.reverb_decay_m = -10; }},
    {12, "reverb feedback distance 0 m", [](EffectSettings& s) { s.reverb_feedback_m = 0; }},
    {12, "reverb feedback distance 32767 m", [](EffectSettings& s) { s.reverb_feedback_m = 32767; }},
    {12, "reverb feedback distance -32768 m", [](EffectSettings& s) { s.reverb_feedback_m = -32768; }},
    {12, "reverb feedback +30 dB (runaway)", [](EffectSettings& s) { s.reverb_feedback_db = 30; }},
    {12, "reverb feedback 32767 dB, wet 32767 dB", [](EffectSettings& s) { s.reverb_feedback_db = 32767; s.reverb_wet_db = 32767; }},
    {12, "reverb room and offset at 16-bit extremes", [](EffectSettings& s) { s.reverb_room_m = 32767; s.reverb_offset_m = -32768; s.reverb_tap_count = 100; }},
    {13, "wah resonance 0", [](EffectSettings& s) { s.wah_resonance = 0; }},
    {13, "wah resonance -10", [](EffectSettings& s) { s.wah_resonance = -10; }},
    {13, "wah rate 0", [](EffectSettings& s) { s.wah_rate = 0; }},
    {13, "wah rate int extremes", [](EffectSettings& s) { s.wah_rate = kMax; s.wah_depth = kMin; }},
    {13, "wah depth 1000 %", [](EffectSettings& s) { s.wah_depth = 1000; s.wah_resonance = 1000; }},
    {14, "bass 0 Hz", [](EffectSettings& s) { s.bass_freq_hz = 0; }},
    {14, "bass -200 Hz", [](EffectSettings& s) { s.bass_freq_hz = -200; }},
    {14, "bass at the Nyquist frequency", [](EffectSettings& s) { s.bass_freq_hz = 5513; }},
    {14, "bass 100 kHz", [](EffectSettings& s) { s.bass_freq_hz = 100000; }},
    {14, "bass gain +1000 dB", [](EffectSettings& s) { s.bass_gain_db = 1000; }},
    {14, "bass gain -1000 dB", [](EffectSettings& s) { s.bass_gain_db = -1000; }},
    {14, "bass gain int extremes", [](EffectSettings& s) { s.bass_gain_db = kMax; s.bass_freq_hz = kMin; }},
    {16, "vibrato period 0", [](EffectSettings& s) { s.vibrato_period = 0; }},
    {16, "vibrato period -1", [](EffectSettings& s) { s.vibrato_period = -1; }},
    {16, "vibrato period int max", [](EffectSettings& s) { s.vibrato_period = kMax; }},
    {16, "vibrato depth 0", [](EffectSettings& s) { s.vibrato_depth = 0; }},
    {16, "vibrato depth 100000", [](EffectSettings& s) { s.vibrato_depth = 100000; }},
    {16, "vibrato depth -1", [](EffectSettings& s) { s.vibrato_depth = -1; }},
    {16, "vibrato depth int extremes", [](EffectSettings& s) { s.vibrato_depth = kMin; s.vibrato_period = kMin; }},
};

TEST(Torture, KnownHazardsNeitherCrashNorPoison) {
    Rng rng(0x4A2A);
    const Signal loud[] = {Signal::kSquare, Signal::kNoise, Signal::kDc, Signal::kImpulses, Signal::kTiny, Signal::kSine};
    const std::pair<int, int> formats[] = {{11025, 1}, {22050, 2}, {44100, 1}, {48000, 2}};
    for (const Hazard& h : kHazards) {
        for (auto [rate, channels] : formats) {
            {
                start_library(rate, channels);
                const EffectSettings good = only(h.type);
                const Response fresh = settle_and_measure(good, channels);
                EffectSettings bad = good;
                h.apply(bad);
                vemomix_set(bad);
                uint64_t phase = 0;
                for (const Signal sig : loud)
                    ASSERT_TRUE(guarded_change(rng, channels, 4096 * 2 * channels, sig, phase))
                        << h.what << " at " << rate << "/" << channels;
                const Response got = settle_and_measure(good, channels);
                EXPECT_TRUE(responses_match(fresh, got))
                    << kEffectNames[h.type] << ": " << h.what << " at " << rate << " Hz/" << channels
                    << " ch: " << describe(fresh, got);
            }
        }
    }
}

// Byte counts that hold no whole frame, or are not counts at all, come back unchanged.
TEST(Torture, DegenerateBuffersAreLeftAlone) {
    start_library(44100, 2);
    vemomix_set(all_on_defaults());
    int16_t buf[4] = {1111, -2222, 3333, -4444};
    const int16_t orig[4] = {1111, -2222, 3333, -4444};
    for (int32_t bytes : {0, 1, 2, 3, -1, -4096, static_cast<int32_t>(kMin)}) {
        EXPECT_EQ(vemomix_change(buf, bytes), bytes);
        EXPECT_TRUE(std::equal(buf, buf + 4, orig)) << bytes << " bytes";
    }
    EXPECT_EQ(vemomix_change(nullptr, 16384), 16384);
    EXPECT_EQ(vemomix_change(nullptr, 0), 0);
    // Five bytes in stereo: one frame processed, the odd byte and half a frame untouched.
    uint8_t odd[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(vemomix_change(reinterpret_cast<int16_t*>(odd), 5), 5);
    EXPECT_EQ(odd[4], 5);
    EXPECT_EQ(odd[5], 6);
}

#ifdef TORTURE_HAVE_MXCSR
// The audio path flushes denormals for itself but hands the caller its own control word back,
// rounding mode, flush modes and sticky flags alike.
TEST(Torture, CallerFloatingPointStateSurvives) {
    start_library(44100, 2);
    vemomix_set(all_on_defaults());
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

// ---------------------------------------------------------------- determinism across processes

// A fixed torture sequence from a freshly loaded library; the hash of every output buffer.
uint64_t sequence_hash() {
    Rng rng(0xD37E);
    uint64_t hash = 0xCBF29CE484222325ull;
    for (int rate : kRates) {
        for (int channels = 1; channels <= 2; ++channels) {
            start_library(rate, channels);
            const EffectSettings base = current_record();
            uint64_t phase = 0;
            for (int round = 0; round < 6; ++round) {
                EffectSettings rec = random_record(base, rng, round % 2 == 0);
                if (round == 0) rec = all_on_defaults();
                vemomix_set(rec);
                for (int b = 0; b < 3; ++b) {
                    const int32_t bytes = b == 0 ? 4096 * 2 * channels : random_byte_count(rng, channels);
                    if (!guarded_change(rng, channels, bytes, random_signal(rng), phase, &hash)) return 0;
                }
            }
        }
    }
    vemomix_close();
    return hash;
}

// Runs this binary again with only the child test, which writes its hash to `path`.
uint64_t hash_in_child(const std::string& path) {
    std::remove(path.c_str());
    std::string self(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", self.data(), self.size() - 1);
    if (n <= 0) return 0;
    self.resize(static_cast<size_t>(n));
    std::string filter = "--gtest_filter=TortureChild.DISABLED_WriteSequenceHash";
    std::string also = "--gtest_also_run_disabled_tests";
    char* argv[] = {self.data(), filter.data(), also.data(), nullptr};
    std::vector<std::string> env_store;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "VEMO_TORTURE_HASH_FILE=", 23) != 0) env_store.emplace_back(*e);
    env_store.push_back("VEMO_TORTURE_HASH_FILE=" + path);
    std::vector<char*> envp;
    for (auto& s : env_store) envp.push_back(s.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, envp.data()) != 0) return 0;
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return 0;
    std::ifstream in(path);
    uint64_t h = 0;
    in >> h;
    std::remove(path.c_str());
    return h;
}

TEST(TortureChild, DISABLED_WriteSequenceHash) {
    const char* path = std::getenv("VEMO_TORTURE_HASH_FILE");
    ASSERT_NE(path, nullptr) << "run by Torture.SameInputsGiveSameOutputsInTwoProcesses";
    const uint64_t h = sequence_hash();
    ASSERT_NE(h, 0u);
    std::ofstream(path) << h << "\n";
}

TEST(Torture, SameInputsGiveSameOutputsInTwoProcesses) {
    const std::string base = ::testing::TempDir() + "vemo_torture_" + std::to_string(getpid());
    const uint64_t first = hash_in_child(base + "_a");
    const uint64_t second = hash_in_child(base + "_b");
    ASSERT_NE(first, 0u) << "the first child did not finish its sequence";
    ASSERT_NE(second, 0u) << "the second child did not finish its sequence";
    EXPECT_EQ(first, second);
}

}  // namespace
}  // namespace vemo::test
