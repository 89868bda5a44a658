// One effect on its own, as an LV2 plugin runs it: that effect's state and nothing of the
// other fifteen's, with a generator of its own.  It goes through the steps the exports take
// (vemomix_begin and vemomix_init at construction, vemomix_set, vemomix_change), so that with the
// same record and buffers it gives the process-wide engine's output sample for sample.
#pragma once
#include <cstddef>
#include <cstdint>

#include "effects/random.h"
#include "effects/stage.h"
#include "settings/param_table.h"
#include "vemosoundmix.h"

namespace vemo {

class EffectInstance {
public:
    // Makes the state and initialises it for the format (allocates; not on an audio thread).
    // rate must be one rate_supported() accepts, channels 1 or 2.
    EffectInstance(int type, int rate, int channels);
    ~EffectInstance();
    EffectInstance(const EffectInstance&) = delete;
    EffectInstance& operator=(const EffectInstance&) = delete;

    int type() const { return type_; }
    int rate() const { return rate_; }
    int channels() const { return channels_; }
    void* state() { return state_; }

    // vemomix_set's steps for this effect's parameters (may allocate: not on an audio thread).
    void set(const EffectSettings& record);
    // A live change of one parameter (null: all), as a knob makes it: allocates nothing once
    // set() has sized the buffers.
    void change(const EffectSettings& record, const ParamRow* changed);
    // One host buffer of interleaved samples, in place, in slices of kMaxFrames as vemomix_change
    // takes them; allocates nothing.
    void process(int16_t* samples, int64_t frames);

private:
    int type_, rate_, channels_;
    void* state_ = nullptr;
    // Where the process-wide engine's generator would stand: the draws of the other effects of a
    // whole engine are made here too, and thrown away.
    Rng rng_;
    alignas(16) float work_[kMaxFrames];
};

// The record a whole engine holds after vemomix_init for a format: every field at its default.
void default_record(EffectSettings& out, int rate, int channels);

}  // namespace vemo
