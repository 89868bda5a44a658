// What every effect stage receives for one buffer (at most kMaxFrames frames), and the functions
// every effect unit offers the engine.
//
// Each effect has a state type (Compressor, Reverb, EqState, PhaseInvert, ...) and offers, as
// overloads on it, some of these functions -- every one but fx_process may be left out:
//   fx_reset(T&, int rate, int channels)           vemomix_init: defaults and buffers for the format
//   fx_prepare_configure(T&, const P& next, int rate, int channels)
//                                                  off the engine lock, before fx_configure: what it
//                                                  will swap in, made for the values to come (P is
//                                                  the effect's params type)
//   fx_configure(T&, int rate, int channels)       new values are in `params`: derive what follows
//   fx_prepare_clear(T&, int rate, int channels)   off the engine lock, before fx_clear
//   fx_clear(T&, int rate, int channels)           vemomix_datarefresh: forget the history only
//   fx_release(T&)                                 vemomix_close: give the heap buffers back
//   fx_report(const T&) -> P                       what vemomix_get reports, where not `params`
//   fx_take_record(T&, const EffectSettings&, int rate, int channels)
//                                                  vemomix_set for an effect whose values are not
//                                                  in a `params` member (the equaliser)
//   fx_take_change(T&, const EffectSettings& next, int changed, int rate, int channels)
//                                                  a knob moved (the new value is in `params`):
//                                                  rebuild keeping the histories; without it a
//                                                  live change configures
//   fx_process(T&, int16_t* pcm, const StageContext&)   one buffer, in place
// A `params` member holds the values the parameter table's rows address.  The engine's lifecycle
// table finds these by name (engine/lifecycle.cpp), so a new effect adds one line there.
// The fx_ prefix keeps them apart from the words they are made of: a bare `process` or `clear`
// would be hidden inside any class with a member of that name (EffectInstance::process) and
// reads as anything's step, while fx_ always means "this effect's lifecycle step".
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace vemo {

// One call never hands a stage more frames than this; longer host buffers are sliced.
constexpr int kMaxFrames = 4096;

struct StageContext {
    int rate = 0;          // working sample rate, Hz
    int channels = 0;      // 1 or 2
    int frames = 0;        // whole frames in the buffer, 0..kMaxFrames
    int sample_count = 0;  // frames * channels
    float* work = nullptr; // kMaxFrames floats of scratch for one de-interleaved channel
};

// fx_take_change's `changed`: the byte offset of the moved field in the settings record, or this
// when every field of the effect may have moved.
constexpr int kEveryField = -1;

// A host buffer of `frames` interleaved frames handed to run(pcm, ctx) in slices of at most
// kMaxFrames, as the host would have sliced it itself.
template <typename Run>
void for_each_slice(int16_t* samples, int64_t frames, int rate, int channels, float* work, Run run) {
    while (frames > 0) {
        const int n = static_cast<int>(std::min<int64_t>(frames, kMaxFrames));
        run(samples, StageContext{rate, channels, n, n * channels, work});
        samples += static_cast<std::ptrdiff_t>(n) * channels;
        frames -= n;
    }
}

}  // namespace vemo
