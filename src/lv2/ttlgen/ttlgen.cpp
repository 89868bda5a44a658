// Writes the bundle's Turtle files from the parameter table and the equaliser's built-in
// presets: manifest.ttl, one <key>.ttl per effect (its mono and stereo plugin), presets.ttl.
// Run by the build: ttlgen OUTDIR BINARY_NAME
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "editor/presets.h"
#include "editor/text_codec.h"
#include "lv2/ports.h"
#include "lv2/uris.h"
#include "settings/effect_types.h"
#include "vemosoundmix.h"

using namespace vemo;
using namespace vemo::lv2;

namespace {

struct Meta {
    const char* lv2_class;
    const char* comment;
};

// Indexed by EffectType.
const Meta kMeta[kEffectCount + 1] = {
    {},
    {"lv2:MultiEQPlugin", "Graphic equaliser of 10, 15, 25 or 31 bands with a pre-gain and an optional second pass."},
    {"lv2:CompressorPlugin", "Compressor with threshold, slope, attack and release."},
    {"lv2:PitchPlugin", "Phase-vocoder pitch changer: shifts the pitch by up to an octave, keeping the tempo."},
    {"lv2:DistortionPlugin", "Distortion: a slew limiter and a driven clipper between a low cut and a tone filter."},
    {"lv2:WaveshaperPlugin", "Overdrive: an oversampled diode clipper with an optional low-pass."},
    {"lv2:ModulatorPlugin", "Amplitude modulation (tremolo) with a sine or triangle wave."},
    {"lv2:DelayPlugin", "Echo with delay and feedback."},
    {"lv2:FlangerPlugin", "Drift: a flanging delay swept by a slow oscillator."},
    {"lv2:PhaserPlugin", "Phaser sweeping between a low and a high frequency."},
    {"lv2:GatePlugin", "Noise reduction: a noise gate with open and close levels, attack, hold and release."},
    {"lv2:ChorusPlugin", "Chorus with depth, rate, wet, dry and feedback."},
    {"lv2:ReverbPlugin", "Reverberation from randomly drawn reflections of a room."},
    {"lv2:FilterPlugin", "Wah-wah: a resonant band-pass swept by an oscillator."},
    {"lv2:EQPlugin", "Super bass: a boost of the low frequencies."},
    {"lv2:UtilityPlugin", "Phase inversion."},
    {"lv2:ModulatorPlugin", "Vibrato: a pitch wobble from a swept delay."},
};

// Units the LV2 units vocabulary has; others are written as a unit of our own.
std::string unit_term(const std::string& u) {
    if (u == "ms") return "units:ms";
    if (u == "s") return "units:s";
    if (u == "Hz") return "units:hz";
    if (u == "dB") return "units:db";
    if (u == "%") return "units:pc";
    if (u == "octaves") return "units:oct";
    if (u == "m") return "units:m";
    if (u == "samples") return "units:frame";
    if (u.empty()) return "";
    return "[ a units:Unit ; rdfs:label \"" + u + "\" ; units:symbol \"" + u + "\" ; units:render \"%f " + u + "\" ]";
}

std::string num(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.9g", v);
    std::string s = buf;
    if (s.find_first_of(".e") == std::string::npos) s += ".0";
    return s;
}

std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string title(std::string_view name) {
    std::string s(name);
    if (!s.empty()) s[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
    return s;
}

void audio_port(std::ostream& o, int index, bool input, const char* symbol, const char* name, const char* group,
                const char* designation) {
    o << "    lv2:port [\n        a lv2:AudioPort , " << (input ? "lv2:InputPort" : "lv2:OutputPort") << " ;\n"
      << "        lv2:index " << index << " ;\n        lv2:symbol \"" << symbol << "\" ;\n        lv2:name \"" << name
      << "\" ;\n";
    if (group != nullptr) o << "        pg:group <" << group << "> ;\n        lv2:designation " << designation << " ;\n";
    o << "    ] ;\n";
}

// An integer port's numbers are written as integers.
std::string value_of(const ControlPort& p, double v) {
    return p.integer || p.toggled ? std::to_string(static_cast<long long>(v)) : num(v);
}

void control_port(std::ostream& o, int index, const ControlPort& p) {
    o << "    lv2:port [\n        a lv2:InputPort , lv2:ControlPort ;\n        lv2:index " << index
      << " ;\n        lv2:symbol \"" << p.symbol << "\" ;\n        lv2:name " << quoted(p.name) << " ;\n"
      << "        lv2:default " << value_of(p, p.def) << " ;\n        lv2:minimum " << value_of(p, p.min)
      << " ;\n        lv2:maximum " << value_of(p, p.max) << " ;\n";
    if (p.enable) o << "        lv2:designation lv2:enabled ;\n";
    if (p.toggled) o << "        lv2:portProperty lv2:toggled ;\n";
    if (p.integer && !p.toggled) o << "        lv2:portProperty lv2:integer ;\n";
    if (p.logarithmic) o << "        lv2:portProperty pprops:logarithmic ;\n";
    if (!p.choices.empty()) {
        o << "        lv2:portProperty lv2:enumeration ;\n";
        for (const ScalePoint& c : p.choices)
            o << "        lv2:scalePoint [ rdfs:label " << quoted(c.label) << " ; rdf:value " << value_of(p, c.value) << " ] ;\n";
    }
    const std::string unit = unit_term(p.unit);
    if (!unit.empty() && p.choices.empty() && !p.toggled) o << "        units:unit " << unit << " ;\n";
    o << "    ] ;\n";
}

const char* kPrefixes =
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix log: <http://lv2plug.in/ns/ext/log#> .\n"
    "@prefix pg: <http://lv2plug.in/ns/ext/port-groups#> .\n"
    "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n\n";

// The project every plugin belongs to, with its maintainer (each plugin file says it again).
const char* kProject =
    "<https://vemosoundmix.org/lv2/>\n    a doap:Project ;\n    doap:name \"vemosoundmix\" ;\n"
    "    doap:homepage <https://vemosoundmix.org/> ;\n"
    "    doap:maintainer [ a foaf:Person ; foaf:name \"vemosoundmix developers\" ; foaf:mbox <mailto:lv2@vemosoundmix.org> ; foaf:homepage <https://vemosoundmix.org/> ] .\n\n";

void plugin(std::ostream& o, int type, int channels) {
    const std::string uri = plugin_uri(type, channels);
    const bool stereo = channels == 2;
    const std::string in_group = uri + "#in", out_group = uri + "#out";
    if (stereo) {
        o << "<" << in_group << ">\n    a pg:StereoGroup , pg:InputGroup ;\n    lv2:symbol \"in\" ;\n"
          << "    rdfs:label \"Input\" .\n\n";
        o << "<" << out_group << ">\n    a pg:StereoGroup , pg:OutputGroup ;\n    lv2:symbol \"out\" ;\n"
          << "    rdfs:label \"Output\" ;\n    pg:source <" << in_group << "> .\n\n";
    }
    o << "<" << uri << ">\n    a lv2:Plugin , " << kMeta[type].lv2_class << " ;\n"
      << "    doap:name \"vemosoundmix " << title(kEffects[type].name) << (stereo ? " stereo" : " mono") << "\" ;\n"
      << "    doap:shortdesc " << quoted(title(kEffects[type].name)) << " ;\n"
      << "    rdfs:comment " << quoted(kMeta[type].comment) << " ;\n"
      << "    doap:license <https://spdx.org/licenses/MIT> ;\n"
      << "    lv2:project <https://vemosoundmix.org/lv2/> ;\n"
      << "    lv2:minorVersion 2 ;\n    lv2:microVersion 0 ;\n"
      << "    lv2:optionalFeature lv2:hardRTCapable , log:log ;\n";
    if (stereo) o << "    pg:mainInput <" << in_group << "> ;\n    pg:mainOutput <" << out_group << "> ;\n";
    int index = 0;
    if (stereo) {
        audio_port(o, index++, true, "in_l", "Input left", in_group.c_str(), "pg:left");
        audio_port(o, index++, true, "in_r", "Input right", in_group.c_str(), "pg:right");
        audio_port(o, index++, false, "out_l", "Output left", out_group.c_str(), "pg:left");
        audio_port(o, index++, false, "out_r", "Output right", out_group.c_str(), "pg:right");
    } else {
        audio_port(o, index++, true, "in", "Input", nullptr, nullptr);
        audio_port(o, index++, false, "out", "Output", nullptr, nullptr);
    }
    for (const ControlPort& p : control_ports(type, channels)) control_port(o, index++, p);
    if (type == kPitchChanger)
        o << "    lv2:port [\n        a lv2:OutputPort , lv2:ControlPort ;\n        lv2:index " << index++
          << " ;\n        lv2:symbol \"latency\" ;\n        lv2:name \"Latency\" ;\n"
          << "        lv2:designation lv2:latency ;\n        lv2:portProperty lv2:reportsLatency , lv2:integer ;\n"
          << "        units:unit units:frame ;\n    ] ;\n";
    o << "    .\n\n";
}

std::string preset_uri(int channels, int n) { return plugin_uri(kGraphicEq, channels) + "/preset/" + std::to_string(n); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: ttlgen OUTDIR BINARY\n");
        return 2;
    }
    const std::string dir = argv[1], binary = argv[2];
    PresetTable presets;
    presets.build_builtins();

    std::ostringstream manifest;
    manifest << kPrefixes;
    for (int t = 1; t <= kEffectCount; ++t) {
        std::ostringstream o;
        o << kPrefixes << kProject;
        for (const int ch : {1, 2}) {
            plugin(o, t, ch);
            manifest << "<" << plugin_uri(t, ch) << ">\n    a lv2:Plugin ;\n    lv2:binary <" << binary
                     << "> ;\n    rdfs:seeAlso <" << kEffects[t].key << ".ttl> .\n\n";
        }
        std::ofstream(dir + "/" + std::string(kEffects[t].key) + ".ttl") << o.str();
    }

    // The equaliser's built-in presets: switch on, band count, pre-gain at 0 dB, the levels.
    std::ostringstream pset;
    pset << kPrefixes;
    for (const int ch : {1, 2}) {
        const std::vector<ControlPort> ports = control_ports(kGraphicEq, ch);
        for (int i = 0; i < presets.count; ++i) {
            const PresetRecord& r = presets.records[i];
            const std::string uri = preset_uri(ch, i + 1);
            manifest << "<" << uri << ">\n    a pset:Preset ;\n    lv2:appliesTo <" << plugin_uri(kGraphicEq, ch)
                     << "> ;\n    rdfs:seeAlso <presets.ttl> .\n\n";
            pset << "<" << uri << ">\n    a pset:Preset ;\n    lv2:appliesTo <" << plugin_uri(kGraphicEq, ch)
                 << "> ;\n    rdfs:label " << quoted(presets.name_utf8(i)) << " ;\n";
            for (const ControlPort& p : ports) {
                double v = p.def;
                if (p.band >= 0) v = p.band < r.band_count ? r.gains[p.band] : 0;
                else if (p.row->field == "eq_band_count") v = r.band_count;
                pset << "    lv2:port [ lv2:symbol \"" << p.symbol << "\" ; pset:value " << num(v) << " ] ;\n";
            }
            pset << "    .\n\n";
        }
    }
    std::ofstream(dir + "/presets.ttl") << pset.str();
    std::ofstream(dir + "/manifest.ttl") << manifest.str();
    return 0;
}
