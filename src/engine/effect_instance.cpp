#include "engine/effect_instance.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "engine/engine.h"
#include "engine/fp_guard.h"
#include "engine/lifecycle.h"

namespace vemo {
namespace {

// Draws of the equaliser's reset, and of the reverberation's taps for a record (both channels,
// two per tap; a negative count draws nothing).
constexpr int kEqResetDraws = kEqDitherSize;
int reverb_draws(int32_t tap_count_field) {
    const auto taps = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(tap_count_field) & 0xFFFFu));
    return 2 * 2 * std::clamp<int>(taps, 0, kReverbMaxTaps);
}

void skip(RngLink& rng, int n) {
    for (int i = 0; i < n; ++i) rng.next();
}

}  // namespace

void default_record(EffectSettings& out, int rate, int channels) {
    std::memset(&out, 0, sizeof out);
    for (const ParamRow& row : param_rows())
        if (row.role == FieldRole::kParam || row.role == FieldRole::kReportCopy || row.role == FieldRole::kEqualiser)
            param_write(out, row, param_default(row, rate, channels));
}

EffectInstance::EffectInstance(int type, int rate, int channels) : type_(type), rate_(rate), channels_(channels) {
    const EffectOps& ops = kEffectOps[type];
    state_ = ::operator new(ops.state_size, std::align_val_t(ops.state_align));
    ops.construct(state_);
    if (ops.draw_from) ops.draw_from(state_, &rng_);
    // Only these two draw.  vemomix_begin draws the equaliser's dither; vemomix_init the
    // reverberation's taps, then the dither twice (the engine's reset -- the equaliser comes last
    // in kEffectOrder -- then the equaliser page's reset to 10 bands).
    RngLink draws;
    draws.share(&rng_);
    if (type == kGraphicEq) skip(draws, 2 * kEqResetDraws + reverb_draws(ReverbParams{}.reverb_tap_count));
    if (type == kReverb) skip(draws, kEqResetDraws);
    if (ops.reset) ops.reset(state_, rate, channels);
    if (type == kReverb) skip(draws, 2 * kEqResetDraws);
}

EffectInstance::~EffectInstance() {
    const EffectOps& ops = kEffectOps[type_];
    if (ops.release) ops.release(state_);
    ops.destroy(state_);
    ::operator delete(state_, std::align_val_t(ops.state_align));
}

void EffectInstance::set(const EffectSettings& record) {
    const EffectOps& ops = kEffectOps[type_];
    if (ops.prepare_configure) ops.prepare_configure(state_, record, rate_, channels_);
    // vemomix_set applies the reverberation before the equaliser (kEffectOrder).
    RngLink draws;
    draws.share(&rng_);
    if (type_ == kGraphicEq) skip(draws, reverb_draws(record.reverb_tap_count));
    effect_take_record(state_, type_, record, rate_, channels_);
    if (type_ == kReverb) skip(draws, kEqResetDraws);
}

void EffectInstance::change(const EffectSettings& record, const ParamRow* changed) {
    // A live change leaves the reverberation's feedback delay as it was (as the editor's page
    // does); here that knob configures the effect anew, its lines sized already.
    if (type_ == kReverb && changed != nullptr && changed->field == "reverb_feedback_m") {
        const EffectOps& ops = kEffectOps[type_];
        ops.prepare_configure(state_, record, rate_, channels_);
        effect_take_record(state_, type_, record, rate_, channels_);
        return;
    }
    effect_take_change(state_, type_, record, changed, rate_, channels_);
}

void EffectInstance::process(int16_t* samples, int64_t frames) {
    DenormalGuard fp_guard;
    const auto process = kEffectOps[type_].process;
    for_each_slice(samples, frames, rate_, channels_, work_,
                   [&](int16_t* pcm, const StageContext& ctx) { process(state_, pcm, ctx); });
}

}  // namespace vemo
