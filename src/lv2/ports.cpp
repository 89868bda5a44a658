#include "lv2/ports.h"

#include "effects/graphic_eq.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string_view>

namespace vemo::lv2 {
namespace {

// How the slider shows the record's value of a position of a linear law: scale, offset, unit.
void shown_as(const ParamRow& row, ControlPort& port) {
    std::string_view unit = row.unit;
    switch (row.law) {
        case SliderLaw::kTenths: port.scale = 0.1; break;
        case SliderLaw::kMsToSamples: unit = "ms"; break;
        case SliderLaw::kPercent256: unit = "%"; break;
        case SliderLaw::kPreamp: port.scale = 1.5, port.offset = -18, unit = "dB"; break;
        case SliderLaw::kTimes10:
        case SliderLaw::kHalf:
        case SliderLaw::kChorusRate: unit = {}; break;
        default:
            // Direct: the record counts in tenths or hundredths of a unit, or in a fraction of its own.
            for (const auto& [prefix, scale] : {std::pair{std::string_view("0.01"), 0.01}, std::pair{std::string_view("0.1"), 0.1}}) {
                if (unit.substr(0, prefix.size()) == prefix) {
                    port.scale = scale;
                    unit.remove_prefix(prefix.size());
                    if (!unit.empty() && unit[0] == ' ') unit.remove_prefix(1);
                    break;
                }
            }
            if (unit.substr(0, 2) == "1/" || unit == "position") unit = {};
    }
    port.unit.assign(unit.data(), unit.size());
}


ControlPort port_of(const ParamRow& row, int channels) {
    ControlPort port;
    port.row = &row;
    port.symbol = std::string(row.field);
    port.name = std::string(row.label_en);
    if (!port.name.empty()) port.name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(port.name[0])));
    if (row.role == FieldRole::kEnable) {
        port.enable = port.toggled = port.integer = true;
        port.name = "Enabled";
        port.min = 0, port.max = 1, port.def = 1;
        return port;
    }
    if (row.law == SliderLaw::kPowerOfTwo || row.law == SliderLaw::kBandCount) {
        for (int32_t p = row.pos_min; p <= row.pos_max; ++p) {
            const double v = param_value_at(row, p, kDefaultsRate, channels);
            port.choices.push_back({v, std::to_string(static_cast<long long>(v))});
        }
        port.unit = row.law == SliderLaw::kPowerOfTwo ? "samples" : "";
        port.integer = true;
        port.min = port.choices.front().value, port.max = port.choices.back().value;
        port.def = param_value_at(row, param_position_of(row, param_default(row, kDefaultsRate, channels), kDefaultsRate, channels),
                                  kDefaultsRate, channels);
        return port;
    }
    shown_as(row, port);
    if (row.transfer == Transfer::kNonZero) port.choices = {{0, "sine"}, {1, "triangle"}};
    port.toggled = row.pos_min == 0 && row.pos_max == 1 && port.choices.empty() && port.unit.empty();
    port.integer = port.scale == 1;
    const double a = port_value_at(port, row.pos_min), b = port_value_at(port, row.pos_max);
    port.min = std::min(a, b), port.max = std::max(a, b);
    const double def = param_default(row, kDefaultsRate, channels);
    const int32_t def_pos = row.law == SliderLaw::kMsToSamples ? static_cast<int32_t>(row.def)
                                                               : param_position_of(row, def, kDefaultsRate, channels);
    port.def = port_value_at(port, def_pos);
    // A default between two slider positions is shown as the value it stands for; a port at its
    // default gives the library's own default (port_to_record).
    if (param_value_at(row, def_pos, kDefaultsRate, channels) != def) {
        if (row.law == SliderLaw::kPercent256) port.def = def / 2.56;
        if (row.law == SliderLaw::kChorusRate) port.def = kDefaultsRate * 360.0 / (def * channels * 1000.0);
        if (row.law == SliderLaw::kTimes10) port.def = def / 10;
        if (row.law == SliderLaw::kHalf) port.def = 2 * def;
        port.integer = port.def == std::trunc(port.def);  // a host would round it to a position
    }
    // Hosts draw such a port on a logarithmic scale only where its range stays above zero.
    port.logarithmic = row.scale == SliderScale::kLog && port.min > 0 && port.choices.empty() && !port.toggled;
    return port;
}

}  // namespace

std::vector<ControlPort> control_ports(int type, int channels) {
    std::vector<ControlPort> ports;
    for (const ParamRow& row : effect_rows(type)) {
        if (row.shown == ValueShown::kUnused) continue;
        if (row.role == FieldRole::kEnable || row.role == FieldRole::kParam) {
            ports.push_back(port_of(row, channels));
        } else if (row.role == FieldRole::kEqualiser && row.type == FieldType::kLevels) {
            for (int b = 0; b < kEqMaxBands; ++b) {
                ControlPort p = port_of(row, channels);
                p.band = b;
                p.symbol = std::string(row.field) + "_" + std::to_string(b + 1);
                p.name = "Band " + std::to_string(b + 1);
                ports.push_back(std::move(p));
            }
        } else if (row.role == FieldRole::kEqualiser) {
            ports.push_back(port_of(row, channels));
        }
    }
    return ports;
}

double port_value_at(const ControlPort& port, int32_t pos) {
    if (!port.choices.empty() && port.row->transfer != Transfer::kNonZero)
        return port.choices[static_cast<size_t>(pos - port.row->pos_min)].value;
    return port.scale * pos + port.offset;
}

int32_t port_position(const ControlPort& port, double value) {
    const ParamRow& row = *port.row;
    if (!(value == value)) value = port.def;
    if (port.enable) return value > 0.5 ? 1 : 0;
    if (!port.choices.empty() && row.transfer != Transfer::kNonZero) {
        // The choice nearest the value.
        int32_t best = row.pos_min;
        for (int32_t p = row.pos_min; p <= row.pos_max; ++p)
            if (std::fabs(port.choices[static_cast<size_t>(p - row.pos_min)].value - value) <
                std::fabs(port.choices[static_cast<size_t>(best - row.pos_min)].value - value))
                best = p;
        return best;
    }
    const double p = std::round((value - port.offset) / port.scale);
    return static_cast<int32_t>(std::clamp<double>(p, row.pos_min, row.pos_max));
}

void port_to_record(const ControlPort& port, double value, EffectSettings& record, int rate, int channels) {
    if (!port.enable && value == static_cast<float>(port.def)) {
        if (port.band >= 0)
            record.eq_band_level[port.band] = 0;
        else
            param_write(record, *port.row, param_default(*port.row, rate, channels));
        return;
    }
    const int32_t pos = port_position(port, value);
    if (port.band >= 0) {
        record.eq_band_level[port.band] = pos;
        return;
    }
    param_write(record, *port.row, param_value_at(*port.row, pos, rate, channels));
}

}  // namespace vemo::lv2
