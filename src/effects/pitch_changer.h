// Phase-vocoder pitch changer, one PitchShifter per channel (effect type 3).
#pragma once
#include <cstdint>

#include "effects/fft.h"
#include "effects/stage.h"

namespace vemo {

// The values a settings record carries for this effect, as the engine keeps them.
struct PitchChangerParams {
    float pitch_octaves = 0.0f;
    int32_t pitch_frame_size = 2048;
    int32_t pitch_oversampling = 4;
};

// Largest frame (transform size N) the arrays hold.
constexpr int kPitchMaxFrame = 8192;
// Largest overlap used: each hop costs two transforms of N points, so the overlap sets the work
// per sample; past 32 frames per frame length nothing is heard to change, while at 8192 a frame
// would be transformed for every sample, twenty times slower than real time.
constexpr int kPitchMaxOversampling = 32;

// The synthesis phases accumulate as floats for this long after each clear (every short result
// stays as it was); from then on they accumulate in held_phase, each kept within one turn of zero,
// and the analysis keeps its phases and frequencies in doubles (held_last_phase, bin_freq).
constexpr int kPitchPhaseFreeSeconds = 2;

// One channel's analysis/resynthesis state; the arrays are sized for the largest frame.
struct PitchShifter {
    float factor = 1.0f;            // P
    int oversampling = 4;           // O
    int frame_size = 2048;          // N
    int sample_rate = 44100;        // Hz
    int initialised = 0;            // 0: clear the arrays before the next sample
    int rover = 0;                  // FIFO position; 0 until the first buffer
    int64_t input_since_clear = 0;  // samples taken in by frames since the clear, up to the free time
    float in_fifo[kPitchMaxFrame] = {};
    float out_fifo[kPitchMaxFrame] = {};
    float workspace[2 * kPitchMaxFrame] = {};
    float last_phase[kPitchMaxFrame / 2 + 1] = {};
    float sum_phase[kPitchMaxFrame / 2 + 1] = {};
    // After the free time: the synthesis phases as they accumulate, within one turn of zero
    // (sum_phase holds them rounded to floats).
    double held_phase[kPitchMaxFrame / 2 + 1] = {};
    // After the free time: each bin's analysis phase of the previous frame, unrounded.
    double held_last_phase[kPitchMaxFrame / 2 + 1] = {};
    float output_accum[2 * kPitchMaxFrame] = {};
    float ana_freq[kPitchMaxFrame] = {};
    float ana_magn[kPitchMaxFrame] = {};
    float syn_freq[kPitchMaxFrame] = {};
    float syn_magn[kPitchMaxFrame] = {};
};

struct PitchChanger {
    PitchChangerParams params;
    PitchShifter shifter[2];
    // Hann window and FFT twiddles for the frame size they were built for (both instances
    // always share N); rebuilt on the first frame after N changes.
    int window_size = 0;
    double window[kPitchMaxFrame] = {};
    FftTwiddles twiddles;
    // Analysis bin trunc(k / P) that output bin k draws from, for the factor and size below.
    float source_factor = 0.0f;
    int source_half = -1;
    int32_t source_bin[kPitchMaxFrame / 2 + 1] = {};
    // Scratch of one frame: the analysis phase (then the previous frame's) and magnitude of each bin.
    double bin_phase[kPitchMaxFrame / 2 + 1] = {};
    double bin_magn[kPitchMaxFrame / 2 + 1] = {};
    double bin_re[kPitchMaxFrame / 2 + 1] = {};
    double bin_im[kPitchMaxFrame / 2 + 1] = {};
    // After the free time: each bin's true frequency from the analysis, then the one the
    // synthesis gives it (Hz), unrounded.
    double bin_freq[kPitchMaxFrame / 2 + 1] = {};
    double bin_syn_freq[kPitchMaxFrame / 2 + 1] = {};
    float syn_re[kPitchMaxFrame / 2 + 1] = {};
    float syn_im[kPitchMaxFrame / 2 + 1] = {};
    uint8_t bin_redo[kPitchMaxFrame / 2 + 1] = {};  // bins the library calls must recompute
    int frame_width = 128;  // widest registers the processor gives the frame loops: 128, 256 or 512 bits
    // Tests set this to run the straightforward frame (library calls, scalar transform) that the
    // fast frame must match bit for bit.
    bool reference_path = false;
};

// vemomix_init: the defaults for the rate; both instances clear their arrays before their
// next sample.
void fx_reset(PitchChanger& fx, int rate, int channels);
// vemomix_set: params were just replaced; configure both instances and clear them lazily.
void fx_configure(PitchChanger& fx, int rate, int channels);
// vemomix_datarefresh: both instances clear their arrays before their next sample.
void fx_clear(PitchChanger& fx, int rate, int channels);
// One buffer, in place.
void fx_process(PitchChanger& fx, int16_t* pcm, const StageContext& ctx);

}  // namespace vemo
