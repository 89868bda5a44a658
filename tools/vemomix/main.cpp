// vemomix: renders audio files through the vemosoundmix library, draws its level strip, converts settings
// records, manages the equaliser preset file, runs a demo.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli_error.h"
#include "commands.h"

namespace {

std::vector<std::string> split_commas(const std::string& list) {
    std::vector<std::string> out;
    if (list.empty()) return out;
    size_t start = 0;
    for (;;) {
        const size_t comma = list.find(',', start);
        out.push_back(list.substr(start, comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vemomix_cli;

    CLI::App app{"vemomix: runs audio through the vemosoundmix effects chain, as a host program would."};
    app.require_subcommand(1);

    RenderOptions render;
    std::string chain_list, enable_list;
    auto* render_cmd = app.add_subcommand("render", "Render an audio file through the chain to 16-bit PCM WAV.");
    render_cmd->add_option("IN", render.input, "Input audio (any format libsndfile reads), mono or stereo")->required();
    render_cmd->add_option("OUT", render.output, "Output WAV, same rate and channels")->required();
    auto* bin_opt = render_cmd->add_option("--settings", render.settings_bin, "Settings record (748 bytes)");
    auto* json_opt = render_cmd->add_option("--json", render.settings_json, "Settings as JSON fields");
    bin_opt->excludes(json_opt);
    auto* chain_opt =
        render_cmd->add_option("--chain", chain_list, "Chain rows, e.g. 7,12,1 or echo,reverb,eq (replaces the chain)");
    render_cmd->add_option("--enable", enable_list,
                           "Switch effects on: eq, compressor, pitch, distortion, overdrive, am, echo, drift, "
                           "phaser, denoise, chorus, reverb, wah, bass, invert, vibrato");
    render_cmd->add_option("--buffer", render.buffer_frames, "Frames per vemomix_change call")
        ->check(CLI::Range(1, 1 << 20));
    render_cmd->add_option("--strip", render.strips.last, "PNG of the editor's level strip for the last buffer");
    render_cmd->add_option("--strip-timeline", render.strips.timeline,
                           "PNG of one level strip per second of audio, side by side");

    std::string dump_path, build_json, build_out;
    auto* settings_cmd = app.add_subcommand("settings", "Convert settings records to and from JSON.");
    settings_cmd->require_subcommand(1);
    auto* dump_cmd = settings_cmd->add_subcommand("dump", "Print a 748-byte settings record as JSON.");
    dump_cmd->add_option("FILE", dump_path, "Settings record")->required();
    auto* build_cmd = settings_cmd->add_subcommand(
        "build", "Write a settings record from JSON; fields not given take the library's defaults.");
    build_cmd->add_option("JSON", build_json, "Record fields by name")->required();
    build_cmd->add_option("OUT", build_out, "Settings record to write")->required();

    std::string demo_out = "demo-out.wav";
    StripPaths demo_strips;
    auto* demo_cmd = app.add_subcommand("demo", "Render a built-in test signal through a showcase chain.");
    demo_cmd->add_option("--out", demo_out, "Output WAV")->capture_default_str();
    demo_cmd->add_option("--strip", demo_strips.last, "PNG of the level strip (default: demo-strip.png beside --out)");
    demo_cmd->add_option("--strip-timeline", demo_strips.timeline, "PNG of one level strip per second");

    std::string effect_name_arg;
    auto* effects_cmd = app.add_subcommand("effects", "List the effects, or one effect's parameters.");
    effects_cmd->add_option("NAME", effect_name_arg, "Effect name or number");

    std::string preset_file, preset_name, preset_json;
    auto* presets_cmd = app.add_subcommand("presets", "Manage the equaliser preset file vemoeqset.eq.");
    presets_cmd->require_subcommand(1);
    const auto file_option = [&](CLI::App* cmd) {
        cmd->add_option("--file", preset_file, "Preset file (default: vemoeqset.eq beside the library)");
    };
    auto* list_cmd = presets_cmd->add_subcommand("list", "Print the built-in presets, then the user's.");
    file_option(list_cmd);
    auto* export_cmd = presets_cmd->add_subcommand("export", "Write one preset as JSON.");
    export_cmd->add_option("NAME", preset_name, "Preset name")->required();
    export_cmd->add_option("OUT", preset_json, "JSON file to write")->required();
    file_option(export_cmd);
    auto* import_cmd = presets_cmd->add_subcommand("import", "Add a user preset from JSON {name, band_count, gains}.");
    import_cmd->add_option("IN", preset_json, "JSON file to read")->required();
    file_option(import_cmd);
    auto* delete_cmd = presets_cmd->add_subcommand("delete", "Remove a user preset.");
    delete_cmd->add_option("NAME", preset_name, "Preset name")->required();
    file_option(delete_cmd);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }

    try {
        if (*render_cmd) {
            render.chain_given = chain_opt->count() > 0;
            if (render.chain_given) render.chain = split_commas(chain_list);
            if (!enable_list.empty()) render.enable = split_commas(enable_list);
            return render_command(render);
        }
        if (*effects_cmd) return effects_command(effect_name_arg);
        if (*dump_cmd) return settings_dump_command(dump_path);
        if (*build_cmd) return settings_build_command(build_json, build_out);
        if (*demo_cmd) return demo_command(demo_out, demo_strips);
        if (*list_cmd) return presets_list_command(preset_file);
        if (*export_cmd) return presets_export_command(preset_file, preset_name, preset_json);
        if (*import_cmd) return presets_import_command(preset_file, preset_json);
        if (*delete_cmd) return presets_delete_command(preset_file, preset_name);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vemomix: %s\n", e.what());
        return 1;
    }
    return 1;
}
