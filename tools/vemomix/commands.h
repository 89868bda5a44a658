// The subcommands of vemomix. Each returns the exit status; problems are thrown as CliError.
#pragma once
#include <string>
#include <vector>

#include "editor/presets.h"
#include "level_strip.h"

namespace vemomix_cli {

struct RenderOptions {
    std::string input;
    std::string output;
    std::string settings_bin;   // --settings, a 748-byte record
    std::string settings_json;  // --json, record fields by name
    std::vector<std::string> chain;
    bool chain_given = false;
    std::vector<std::string> enable;
    std::vector<std::string> sets;  // --set FIELD=VALUE, applied last
    std::string preset;             // --preset: an equaliser preset by name
    std::string preset_file;        // --preset-file: where user presets are (default: beside vemomix)
    bool force = false;             // --force: values outside the parameter table's ranges are applied
    int buffer_frames = 1024;
    std::string type;           // --type: the output's audio type when not its extension's
    double tail_seconds = 0.0;  // --tail: silence run through the chain after the input
    bool verbose = false;       // --verbose: levels and clipping per stage on stderr
    std::string levels;         // --levels: PNG of peak and RMS over time
    StripPaths strips;          // --strip, --strip-timeline
};

int render_command(const RenderOptions& opt);
// Without a name: the sixteen effects; with one: its parameters.
int effects_command(const std::string& name);
int settings_dump_command(const std::string& record_path);
// force: values outside the parameter table's ranges (at 44100 Hz stereo) are written as given.
int settings_build_command(const std::string& json_path, const std::string& record_path, bool force);
// strips.last empty: demo-strip.png beside the output.
int demo_command(const std::string& output, StripPaths strips);

// The equaliser preset file; file empty: vemoeqset.eq beside the library, that is beside vemomix.
int presets_list_command(const std::string& file);
int presets_export_command(const std::string& file, const std::string& name, const std::string& out_path);
int presets_import_command(const std::string& file, const std::string& in_path);
int presets_delete_command(const std::string& file, const std::string& name);
// The preset of that name (built-in or the file's); throws when there is none.
vemo::PresetRecord find_preset(const std::string& file, const std::string& name);

}  // namespace vemomix_cli
