// The LV2 ports of each effect, read from the parameter table: which fields become control
// ports, in what unit a user sees them (the editor slider's), and how a port value becomes the
// record value.  The .ttl generator and the plugins both read these, so the two cannot differ.
#pragma once
#include <string>
#include <vector>

#include "settings/param_table.h"
#include "vemosoundmix.h"

namespace vemo::lv2 {

// The rate whose sample counts the .ttl defaults are worked out for (ms fields are in ms anyway;
// only the chorus rate's default depends on it).
constexpr int kDefaultsRate = 44100;

struct ScalePoint {
    double value;
    std::string label;
};

struct ControlPort {
    const ParamRow* row = nullptr;  // the record field
    int band = -1;                  // eq_band_level: which band (0..30)
    bool enable = false;            // the effect's switch (lv2:enabled)
    std::string symbol, name;
    // shown value = scale * slider position + offset, except enumerations, whose values are listed.
    double scale = 1, offset = 0;
    std::vector<ScalePoint> choices;
    double min = 0, max = 1, def = 0;
    std::string unit;  // the table's unit as the slider shows it ("ms", "Hz", "%"...), or ""
    bool integer = false, toggled = false;
    bool logarithmic = false;  // the editor's track gives every decade the same share
};

// The control inputs of an effect's plugin for a channel count: the switch first, then one per
// parameter in table order (but those no effect reads, which would be knobs that do nothing).
std::vector<ControlPort> control_ports(int type, int channels);

// The port value that stands for a slider position of the row's range.
double port_value_at(const ControlPort& port, int32_t pos);

// The slider position a port value stands for (nearest, inside the row's range).
int32_t port_position(const ControlPort& port, double value);

// Writes the record value of a port value into `record` for the format.
void port_to_record(const ControlPort& port, double value, EffectSettings& record, int rate, int channels);

}  // namespace vemo::lv2
