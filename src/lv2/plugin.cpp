// The LV2 plugins: one descriptor per effect and channel layout.  Each instance holds one
// EffectInstance (that effect's state only) and turns the host's float samples into the 16-bit
// samples the library works on, and back.
#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <lv2/log/logger.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "effects/pcm16.h"
#include "effects/pitch_changer.h"
#include "engine/effect_instance.h"
#include "engine/engine.h"
#include "lv2/ports.h"
#include "lv2/uris.h"

namespace vemo::lv2 {
namespace {

// The switch fades over this long instead of clicking.
constexpr double kFadeSeconds = 0.005;

struct Plugin {
    int type = 0, channels = 1, rate = 0;
    std::vector<ControlPort> ports;
    std::vector<const float*> control;  // as connected (null: not connected)
    std::vector<float> applied;         // the value of each port the state holds
    const float* in[2] = {};
    float* out[2] = {};
    float* latency = nullptr;
    EffectSettings record{};  // the values the state holds
    EffectSettings next{};
    std::unique_ptr<EffectInstance> fx;
    float gain = 1;     // the effect's share of the output, 0..1
    float fade_step = 1;
    alignas(16) int16_t pcm[kMaxFrames * 2];
    float dry[kMaxFrames * 2];
};

int audio_ports(const Plugin& p) { return 2 * p.channels; }

// The pitch changer's output lags its input by a frame less one hop.
float latency_of(Plugin& p) {
    const PitchShifter& s = static_cast<PitchChanger*>(p.fx->state())->shifter[0];
    return s.oversampling > 0 ? static_cast<float>(s.frame_size - s.frame_size / s.oversampling) : 0.0f;
}

float port_value(const Plugin& p, size_t i) { return p.control[i] ? *p.control[i] : p.applied[i]; }

bool switched_on(const Plugin& p) { return port_value(p, 0) > 0.5f; }

// A fresh effect for the format with the ports' values.  It takes the library's own record
// first and then the one with the ports' values, as `vemomix render` hands them to the library,
// so that even the random draws (equaliser dither, reverberation taps) come out the same.
void start_afresh(Plugin& p) {
    p.fx = std::make_unique<EffectInstance>(p.type, p.rate, p.channels);
    default_record(p.record, p.rate, p.channels);
    p.fx->set(p.record);
    for (size_t i = 1; i < p.ports.size(); ++i) {
        p.applied[i] = port_value(p, i);
        port_to_record(p.ports[i], p.applied[i], p.record, p.rate, p.channels);
    }
    p.fx->set(p.record);
    p.gain = switched_on(p) ? 1.0f : 0.0f;
}

struct Variant {
    int type, channels;
    std::string uri;
};

// Plugin k is effect k / 2 + 1, mono for even k, stereo for odd.
constexpr int kPlugins = 2 * kEffectCount;
const Variant& variant(int k) {
    static const std::vector<Variant> variants = [] {
        std::vector<Variant> v;
        for (int t = 1; t <= kEffectCount; ++t)
            for (const int ch : {1, 2}) v.push_back({t, ch, plugin_uri(t, ch)});
        return v;
    }();
    return variants[static_cast<size_t>(k)];
}

const Variant* variant_of(const LV2_Descriptor* d) {
    for (int k = 0; k < kPlugins; ++k)
        if (variant(k).uri == d->URI) return &variant(k);
    return nullptr;
}

LV2_Handle instantiate(const LV2_Descriptor* d, double rate, const char*, const LV2_Feature* const* features) {
    LV2_Log_Logger logger{};
    LV2_URID_Map* map = nullptr;
    for (int i = 0; features != nullptr && features[i] != nullptr; ++i) {
        if (std::strcmp(features[i]->URI, LV2_LOG__log) == 0) logger.log = static_cast<LV2_Log_Log*>(features[i]->data);
        if (std::strcmp(features[i]->URI, LV2_URID__map) == 0) map = static_cast<LV2_URID_Map*>(features[i]->data);
    }
    lv2_log_logger_init(&logger, map, logger.log);
    const Variant* v = variant_of(d);
    if (v == nullptr) return nullptr;
    const int whole = static_cast<int>(rate);
    if (!(whole == rate) || !rate_supported(whole)) {
        lv2_log_error(&logger, "%s: not instantiated at %g Hz; the library runs at 11025, 22050, 44100 and 48000 Hz\n",
                      d->URI, rate);
        return nullptr;
    }
    try {
        auto p = std::make_unique<Plugin>();
        p->type = v->type, p->channels = v->channels, p->rate = whole;
        p->ports = control_ports(v->type, v->channels);
        p->control.assign(p->ports.size(), nullptr);
        p->applied.resize(p->ports.size());
        for (size_t i = 0; i < p->ports.size(); ++i) p->applied[i] = static_cast<float>(p->ports[i].def);
        p->fade_step = static_cast<float>(1.0 / std::max(1.0, kFadeSeconds * whole));
        start_afresh(*p);
        return p.release();
    } catch (...) {
        lv2_log_error(&logger, "%s: out of memory\n", d->URI);
        return nullptr;
    }
}

void connect_port(LV2_Handle h, uint32_t port, void* data) {
    Plugin& p = *static_cast<Plugin*>(h);
    const auto audio = static_cast<uint32_t>(audio_ports(p));
    if (port < static_cast<uint32_t>(p.channels)) {
        p.in[port] = static_cast<const float*>(data);
    } else if (port < audio) {
        p.out[port - static_cast<uint32_t>(p.channels)] = static_cast<float*>(data);
    } else if (port - audio < p.ports.size()) {
        p.control[port - audio] = static_cast<const float*>(data);
    } else if (p.type == kPitchChanger && port - audio == p.ports.size()) {
        p.latency = static_cast<float*>(data);
    }
}

void activate(LV2_Handle h) {
    // Every activation starts the effect afresh, with the values the ports hold now.
    try {
        start_afresh(*static_cast<Plugin*>(h));
    } catch (...) {
        // Out of memory: the old state stays, and the host hears the effect go on.
    }
}

// Port values that changed since the last block reach the state as a knob's change does.
void take_port_changes(Plugin& p) {
    for (size_t i = 1; i < p.ports.size(); ++i) {
        if (p.control[i] == nullptr) continue;
        const float v = *p.control[i];
        if (v == p.applied[i] || (v != v && p.applied[i] != p.applied[i])) continue;
        p.applied[i] = v;
        // A move within one slider step changes no record value, and so rebuilds nothing.
        p.next = p.record;
        port_to_record(p.ports[i], v, p.next, p.rate, p.channels);
        if (std::memcmp(&p.next, &p.record, sizeof p.record) == 0) continue;
        p.record = p.next;
        p.fx->change(p.record, p.ports[i].row);
    }
}

void run(LV2_Handle h, uint32_t frames) {
    Plugin& p = *static_cast<Plugin*>(h);
    take_port_changes(p);
    if (p.latency != nullptr) *p.latency = latency_of(p);
    const float target = switched_on(p) ? 1.0f : 0.0f;
    const int ch = p.channels;
    for (int c = 0; c < ch; ++c)
        if (p.in[c] == nullptr || p.out[c] == nullptr) return;
    for (uint32_t done = 0; done < frames;) {
        const int n = static_cast<int>(std::min<uint32_t>(frames - done, kMaxFrames));
        if (p.gain == 0.0f && target == 0.0f) {
            // Off: the input passes untouched, and the effect keeps its state.
            for (int c = 0; c < ch; ++c)
                if (p.out[c] != p.in[c]) std::memmove(p.out[c] + done, p.in[c] + done, sizeof(float) * static_cast<size_t>(n));
            done += static_cast<uint32_t>(n);
            continue;
        }
        bool clipped = false;
        // Fully on, the dry signal is not needed: the plain loops cost no more than the conversion.
        const bool on = p.gain == 1.0f && target == 1.0f;
        for (int c = 0; c < ch; ++c)
            for (int i = 0; i < n; ++i) {
                const float x = p.in[c][done + static_cast<uint32_t>(i)];
                if (!on) p.dry[i * ch + c] = x;
                p.pcm[i * ch + c] = pcm16_from_normalised(x, clipped);
            }
        p.fx->process(p.pcm, n);
        if (on) {
            for (int c = 0; c < ch; ++c)
                for (int i = 0; i < n; ++i)
                    p.out[c][done + static_cast<uint32_t>(i)] = normalised_from_pcm16(p.pcm[i * ch + c]);
            done += static_cast<uint32_t>(n);
            continue;
        }
        for (int i = 0; i < n; ++i) {
            if (p.gain != target) p.gain = target > p.gain ? std::min(target, p.gain + p.fade_step) : std::max(target, p.gain - p.fade_step);
            for (int c = 0; c < ch; ++c) {
                const float wet = normalised_from_pcm16(p.pcm[i * ch + c]);
                const float dry = p.dry[i * ch + c];
                p.out[c][done + static_cast<uint32_t>(i)] = p.gain == 1.0f ? wet : dry + (wet - dry) * p.gain;
            }
        }
        done += static_cast<uint32_t>(n);
    }
}

void deactivate(LV2_Handle) {}

void cleanup(LV2_Handle h) { delete static_cast<Plugin*>(h); }

const void* extension_data(const char*) { return nullptr; }

}  // namespace
}  // namespace vemo::lv2

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    using namespace vemo::lv2;
    static const std::vector<LV2_Descriptor> descriptors = [] {
        std::vector<LV2_Descriptor> d;
        for (int k = 0; k < kPlugins; ++k)
            d.push_back({variant(k).uri.c_str(), instantiate, connect_port, activate, run, deactivate, cleanup,
                         extension_data});
        return d;
    }();
    return index < descriptors.size() ? &descriptors[index] : nullptr;
}
