#include "effects/pitch_changer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "effects/vocoder_trig.h"

namespace vemo {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Frame sizes are powers of two from 2 to the arrays' 8192: anything else is taken down to the
// power of two below it, so every index stays inside the arrays.
int usable_frame_size(int32_t n) {
    if (n >= kPitchMaxFrame) return kPitchMaxFrame;
    int p = 2;
    while (p * 2 <= n) p *= 2;
    return p;
}

void configure_shifter(PitchShifter& s, float factor, int frame_size, int oversampling, int rate) {
    s.factor = factor;
    s.frame_size = frame_size;
    s.oversampling = oversampling;
    // A rate below 1 Hz would make the bin spacing 0; such formats are outside the design.
    s.sample_rate = rate > 0 ? rate : 44100;
}

void set_defaults(PitchChanger& fx, int rate) {
    fx.params = PitchChangerParams{};
    for (PitchShifter& s : fx.shifter) configure_shifter(s, 1.0f, 2048, 4, rate);
}

// 256-bit frames where GCC can keep 32-byte stack alignment (not on Windows, where it cannot
// realign the stack for spilled registers), as for the transform.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)) && !defined(_WIN32)
#define VEMO_PITCH_WIDE 1
#endif

void build_tables(PitchChanger& fx, int n) {
    for (int k = 0; k < n; ++k) fx.window[k] = 0.5 - 0.5 * std::cos(2.0 * kPi * k / n);
    fft_prepare(fx.twiddles, n);
#if defined(VEMO_PITCH_WIDE)
    if (__builtin_cpu_supports("avx2")) fx.frame_width = 256;
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512dq"))
        fx.frame_width = 512;
#endif
    fx.window_size = n;
}

void clear_arrays(PitchShifter& s) {
    std::memset(s.in_fifo, 0, sizeof s.in_fifo);
    std::memset(s.out_fifo, 0, sizeof s.out_fifo);
    std::memset(s.workspace, 0, sizeof s.workspace);
    std::memset(s.last_phase, 0, sizeof s.last_phase);
    std::memset(s.sum_phase, 0, sizeof s.sum_phase);
    std::memset(s.output_accum, 0, sizeof s.output_accum);
    std::memset(s.ana_freq, 0, sizeof s.ana_freq);
    std::memset(s.ana_magn, 0, sizeof s.ana_magn);
    s.input_since_clear = 0;
}

// Only a synthesis phase modulo 2 pi matters, but a float that keeps growing loses a bit of it
// every time its size doubles, and every frame's rounding to a float moves the bins' phases
// apart a little more: after an hour a steady tone would be mostly rounding noise.  So, once the
// phases have accumulated as floats for the first seconds after a clear (every short result
// stays as it was), they go on accumulating in doubles kept within one turn of zero, and only
// the float given to the synthesis is rounded.  Branch-free, so that it runs several bins per
// instruction; the rounding to whole turns is exact below 2^51 turns, and anything beyond that
// (or not finite) is left as it is.
[[gnu::always_inline]] inline double within_one_turn(double phase) {
    constexpr double kTwoPi = 2.0 * kPi;
    constexpr double kRoundMagic = 0x1.8p52;  // adding and removing it rounds to a whole number
    const double t = phase * (1.0 / kTwoPi);
    const double turns = std::fabs(t) < 0x1p51 ? (t + kRoundMagic) - kRoundMagic : 0.0;
    return phase - turns * kTwoPi;
}

// Steps 2.4 to 2.9 of one bin's analysis: the phase change since the last frame, less the
// expected advance, wrapped by an even multiple of pi and turned into the bin's true frequency.
struct BinAnalysis {
    float last_phase;
    float freq;
    int wraps;
};
[[gnu::always_inline]] inline BinAnalysis analyse_bin(double phase, double last, int k, double expected, int o,
                                                      double bin) {
    BinAnalysis out;
    double d = phase - last;
    out.last_phase = static_cast<float>(phase);
    d -= k * expected;
    // |d / pi| stays below S + 2 (at most 8194) for finite phases; the limit only keeps a
    // non-finite value from reaching the integer conversion.
    double turns = d / kPi;
    turns = turns <= 1e9 ? turns : 1e9;
    turns = turns >= -1e9 ? turns : -1e9;
    int q = static_cast<int>(turns);
    q += q >= 0 ? (q & 1) : -(q & 1);
    out.wraps = q;
    d -= kPi * q;
    d = o * d / (2.0 * kPi);
    out.freq = static_cast<float>((k + d) * bin);
    return out;
}

// One full frame of in_fifo: analyse, remap by the factor, resynthesise, overlap-add.
// Written so that the compiler can run several bins per instruction: every value still goes
// through the same operations in the same order. Outside the reference frame the library's
// atan2, sin and cos give way to the branch-free versions wherever the stored float is provably
// the same; the bins left over are recomputed with the library calls.
template <bool kReference>
[[gnu::always_inline]] inline void frame_body(PitchShifter& s, PitchChanger& fx) {
    namespace trig = vocoder_trig;
    constexpr bool kFastTrig = !kReference && trig::kLibraryWithinFewUlps;
    const int n = s.frame_size;
    const int o = s.oversampling;
    const int hop = n / o;
    const int half = n / 2;
    const double bin = static_cast<double>(s.sample_rate) / n;
    const double expected = 2.0 * kPi * hop / n;
    const double factor = s.factor;
    const double* window = fx.window;
    float* ws = s.workspace;
    double* scratch = fx.bin_phase;
    double* magn = fx.bin_magn;
    uint8_t* redo = fx.bin_redo;

    for (int k = 0; k < n; ++k) {
        ws[2 * k] = static_cast<float>(s.in_fifo[k] * window[k]);
        ws[2 * k + 1] = 0.0f;
    }
    if constexpr (kReference)
        fft_plain(ws, n, -1, fx.twiddles);
    else
        fft(ws, n, -1, fx.twiddles);

    // The library calls and the arithmetic run in separate loops, over contiguous arrays, so that
    // several bins share each instruction and the divisions of one bin overlap the next.
    double* bin_re = fx.bin_re;
    double* bin_im = fx.bin_im;
    for (int k = 0; k <= half; ++k) {
        bin_re[k] = ws[2 * k];
        bin_im[k] = ws[2 * k + 1];
    }
    const int64_t free_time = static_cast<int64_t>(kPitchPhaseFreeSeconds) * s.sample_rate;
    const bool held = s.input_since_clear >= free_time;
    if (held) {
        // Past the free time nothing is rounded to a float between frames: with a steady input
        // the same roundings would come back every cycle and move the bins of one tone apart
        // a little further each time.  The fast atan2 is within 2^-50 of the library's, far
        // below what could add up over weeks.
        for (int k = 0; k <= half; ++k) {
            const double re = bin_re[k], im = bin_im[k];
            const double m = 2.0 * std::sqrt(re * re + im * im);
            s.ana_magn[k] = static_cast<float>(m);
            const double phase = kFastTrig ? trig::atan2_fast(im, re) : std::atan2(im, re);
            double d = phase - s.held_last_phase[k];
            s.held_last_phase[k] = phase;
            d = within_one_turn(d - k * expected);
            fx.bin_freq[k] = (k + o * d / (2.0 * kPi)) * bin;
        }
    } else {
        for (int k = 0; k <= half; ++k) {
            const double re = bin_re[k], im = bin_im[k];
            magn[k] = 2.0 * std::sqrt(re * re + im * im);
            scratch[k] = kFastTrig ? trig::atan2_fast(im, re) : std::atan2(im, re);
        }
        for (int k = 0; k <= half; ++k) {
            const double last = s.last_phase[k];
            s.ana_magn[k] = static_cast<float>(magn[k]);
            if constexpr (kFastTrig) {
                // Every step after the phase is monotonic while the wrap count stays put, so equal
                // results at both ends of the margin hold for the library's phase in between.
                const double margin = std::fabs(scratch[k]) * trig::kMargin;
                const BinAnalysis a = analyse_bin(scratch[k] - margin, last, k, expected, o, bin);
                const BinAnalysis b = analyse_bin(scratch[k] + margin, last, k, expected, o, bin);
                // (A zero phase is exact, so -0 and +0 never stand at the two ends.)
                redo[k] = (a.last_phase != b.last_phase) | (a.wraps != b.wraps) | (a.freq != b.freq) |
                          !(std::fabs(scratch[k]) <= 4.0);
                scratch[k] = last;
                s.last_phase[k] = a.last_phase;
                s.ana_freq[k] = a.freq;
            } else {
                const BinAnalysis a = analyse_bin(scratch[k], last, k, expected, o, bin);
                s.last_phase[k] = a.last_phase;
                s.ana_freq[k] = a.freq;
            }
        }
        if constexpr (kFastTrig) {
            for (int k = 0; k <= half; ++k) {
                if (!redo[k]) continue;
                const BinAnalysis a = analyse_bin(std::atan2(bin_im[k], bin_re[k]), scratch[k], k, expected, o, bin);
                s.last_phase[k] = a.last_phase;
                s.ana_freq[k] = a.freq;
            }
        }
        // The frame that ends the free time hands its phases on unrounded.
        if (s.input_since_clear + hop >= free_time)
            for (int k = 0; k <= half; ++k) s.held_last_phase[k] = std::atan2(bin_im[k], bin_re[k]);
    }

    // Only bins 0..H are ever read back, so only they need zeroing.
    std::fill(s.syn_magn, s.syn_magn + half + 1, 0.0f);
    if (!held) std::fill(s.syn_freq, s.syn_freq + half + 1, 0.0f);
    if (fx.source_factor != s.factor || fx.source_half != half) {
        // The factor is limited to 2^-8..2^8, so k / P stays well inside int.
        for (int k = 0; k <= half; ++k) fx.source_bin[k] = static_cast<int32_t>(k / factor);
        fx.source_factor = s.factor;
        fx.source_half = half;
    }
    // Past the free time the frequencies stay unrounded (bin_syn_freq); syn_freq is not read.
    for (int k = 0; k <= half; ++k) {
        const int j = fx.source_bin[k];
        if (j <= half) {
            s.syn_magn[k] = static_cast<float>(static_cast<double>(s.syn_magn[k]) + s.ana_magn[j]);
            if (held)
                fx.bin_syn_freq[k] = fx.bin_freq[j] * factor;
            else
                s.syn_freq[k] = static_cast<float>(s.ana_freq[j] * factor);
        } else if (held) {
            fx.bin_syn_freq[k] = 0.0;
        }
    }

    if (!held) {
        for (int k = 0; k <= half; ++k) {
            double d = (s.syn_freq[k] - k * bin) / bin;
            d = 2.0 * kPi * d / o + k * expected;
            s.sum_phase[k] = static_cast<float>(s.sum_phase[k] + d);
        }
        s.input_since_clear += hop;
        if (s.input_since_clear >= free_time)
            for (int k = 0; k <= half; ++k) s.held_phase[k] = within_one_turn(s.sum_phase[k]);
    } else {
        for (int k = 0; k <= half; ++k) {
            double d = (fx.bin_syn_freq[k] - k * bin) / bin;
            d = 2.0 * kPi * d / o + k * expected;
            s.held_phase[k] = within_one_turn(s.held_phase[k] + d);
            s.sum_phase[k] = static_cast<float>(s.held_phase[k]);
        }
    }
    if constexpr (kFastTrig) {
        float* out_re = fx.syn_re;
        float* out_im = fx.syn_im;
        for (int k = 0; k <= half; ++k) {
            const double ph = s.sum_phase[k];
            const trig::SinCos v = trig::sincos_fast(ph);
            const bool sure_re = trig::product_is_certain(s.syn_magn[k], v.c, v.slack_c, out_re[k]);
            const bool sure_im = trig::product_is_certain(s.syn_magn[k], v.s, v.slack_s, out_im[k]);
            redo[k] = !(sure_re & sure_im & (std::fabs(ph) <= trig::kReducibleLimit));
        }
        for (int k = 0; k <= half; ++k) {
            if (!redo[k]) continue;
            const double ph = s.sum_phase[k];
            const double m = s.syn_magn[k];
            out_re[k] = static_cast<float>(m * std::cos(ph));
            out_im[k] = static_cast<float>(m * std::sin(ph));
        }
        for (int k = 0; k <= half; ++k) {
            ws[2 * k] = out_re[k];
            ws[2 * k + 1] = out_im[k];
        }
    } else {
        for (int k = 0; k <= half; ++k) {
            const double ph = s.sum_phase[k];
            const double m = s.syn_magn[k];
            ws[2 * k] = static_cast<float>(m * std::cos(ph));
            ws[2 * k + 1] = static_cast<float>(m * std::sin(ph));
        }
    }
    std::fill(ws + n + 2, ws + 2 * n, 0.0f);
    if constexpr (kReference)
        fft_plain(ws, n, 1, fx.twiddles);
    else
        fft(ws, n, 1, fx.twiddles);

    const int norm = half * o;
    for (int k = 0; k < n; ++k)
        s.output_accum[k] = static_cast<float>(s.output_accum[k] + 2.0 * window[k] * ws[2 * k] / norm);

    std::memcpy(s.out_fifo, s.output_accum, sizeof(float) * static_cast<size_t>(hop));
    std::memmove(s.output_accum, s.output_accum + hop, sizeof(float) * static_cast<size_t>(n));
    std::memmove(s.in_fifo, s.in_fifo + hop, sizeof(float) * static_cast<size_t>(n - hop));
}

// The straightforward frame: library calls and the scalar transform.
void process_frame_reference(PitchShifter& s, PitchChanger& fx) { frame_body<true>(s, fx); }

// The same frame with 256-bit registers, integer ones included (AVX2 narrows the double
// comparisons' masks for the float ones); -ffp-contract=off keeps fused multiply-adds out.
#if defined(VEMO_PITCH_WIDE)
[[gnu::target("avx2")]] void process_frame_avx2(PitchShifter& s, PitchChanger& fx) { frame_body<false>(s, fx); }
// And with 512-bit registers where the processor has them: eight bins per instruction (GCC
// keeps to 256 bits unless told; clang takes no such request in the attribute).
#if defined(__clang__)
#define VEMO_PITCH_AVX512 "avx512f,avx512vl,avx512bw,avx512dq"
#else
#define VEMO_PITCH_AVX512 "avx512f,avx512vl,avx512bw,avx512dq,prefer-vector-width=512"
#endif
[[gnu::target(VEMO_PITCH_AVX512)]] void process_frame_avx512(PitchShifter& s, PitchChanger& fx) {
    frame_body<false>(s, fx);
}
#endif

void process_frame(PitchShifter& s, PitchChanger& fx) {
    if (fx.reference_path) return process_frame_reference(s, fx);
#if defined(VEMO_PITCH_WIDE)
    if (fx.frame_width == 512) return process_frame_avx512(s, fx);
    if (fx.frame_width == 256) return process_frame_avx2(s, fx);
#endif
    frame_body<false>(s, fx);
}

void process_channel(PitchShifter& s, PitchChanger& fx, float* work, int frames) {
    const int n = s.frame_size;
    const int latency = n - n / s.oversampling;
    if (fx.window_size != n) build_tables(fx, n);

    // rover starts at the latency on the first buffer. It is kept across configures, so a new
    // smaller hop can leave it behind the new latency; it restarts there too rather than read
    // before out_fifo.
    if (s.rover < latency) s.rover = latency;
    if (s.initialised == 0) {
        clear_arrays(s);
        s.initialised = 1;
    }

    for (int i = 0; i < frames; ++i) {
        s.in_fifo[s.rover] = work[i];
        work[i] = std::clamp(s.out_fifo[s.rover - latency], -32768.0f, 32767.0f);
        if (++s.rover >= n) {
            process_frame(s, fx);
            s.rover = latency;
        }
    }
}

}  // namespace

void fx_reset(PitchChanger& fx, int rate, int) {
    set_defaults(fx, rate);
    // A new format starts from silence, like every other history.
    for (PitchShifter& s : fx.shifter) s.initialised = 0;
}

void fx_configure(PitchChanger& fx, int rate, int) {
    const PitchChangerParams& p = fx.params;
    // 2^±8 is far beyond any musical shift; the limit keeps k / P and the bin frequencies finite.
    const float octaves = std::isnan(p.pitch_octaves) ? 0.0f : std::clamp(p.pitch_octaves, -8.0f, 8.0f);
    const float factor = static_cast<float>(std::pow(2.0L, static_cast<long double>(octaves)));
    const int n = usable_frame_size(p.pitch_frame_size);
    // The overlap is 1..N so that the hop N / O is at least one sample, and at most
    // kPitchMaxOversampling so that any record runs in real time.
    const int o = std::clamp<int32_t>(p.pitch_oversampling, 1, std::min(n, kPitchMaxOversampling));
    for (PitchShifter& s : fx.shifter) {
        configure_shifter(s, factor, n, o, rate);
        s.initialised = 0;
    }
}

void fx_clear(PitchChanger& fx, int, int) {
    for (PitchShifter& s : fx.shifter) s.initialised = 0;
}

void fx_process(PitchChanger& fx, int16_t* pcm, const StageContext& ctx) {
    const int channels = std::min(ctx.channels, 2);
    for (int c = 0; c < channels; ++c) {
        for (int i = 0; i < ctx.frames; ++i) ctx.work[i] = pcm[i * ctx.channels + c];
        process_channel(fx.shifter[c], fx, ctx.work, ctx.frames);
        for (int i = 0; i < ctx.frames; ++i) pcm[i * ctx.channels + c] = static_cast<int16_t>(ctx.work[i]);
    }
}

}  // namespace vemo
