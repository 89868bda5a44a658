// vemomix: renders audio files through the vemosoundmix library, draws its level strip, converts settings
// records, manages the equaliser preset file, runs a demo.
#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <exception>
#include <sstream>
#include <string>
#include <vector>

#include "cli_error.h"
#include "audio_file.h"
#include "commands.h"
#include "params.h"

namespace {

using vemomix_cli::UsageError;

// Items of comma-separated lists given once or more ("reverb, echo" --enable eq); blanks drop out.
std::vector<std::string> list_items(const std::vector<std::string>& given) {
    std::vector<std::string> out;
    for (const std::string& g : given) {
        size_t start = 0;
        for (;;) {
            const size_t comma = g.find(',', start);
            std::string item = g.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
            item.erase(0, item.find_first_not_of(" \t"));
            item.erase(item.find_last_not_of(" \t") + 1);
            if (!item.empty()) out.push_back(item);
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
    }
    return out;
}

double number_option(const std::string& option, const std::string& text, double min, double max, bool whole) {
    size_t used = 0;
    double v = 0.0;
    try {
        v = std::stod(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    const bool number = used == text.size() && used > 0 && std::isfinite(v) && (!whole || v == std::floor(v));
    std::ostringstream range;
    range.precision(10);
    range << min << " to " << max;
    if (!number)
        throw UsageError(option, "\"" + text + "\" is not " + (whole ? "a whole number" : "a number") + " (" +
                                     range.str() + ")");
    if (v < min || v > max) throw UsageError(option, text + " is outside " + range.str());
    return v;
}

// CLI11's messages, reworded where they say little, on one line.
std::string parse_error_text(const CLI::ParseError& e) {
    std::string m = e.what();
    const size_t at_most = m.find(": At Most 1 required");
    if (at_most != std::string::npos) m = m.substr(0, at_most) + ": given more than once";
    for (char& c : m)
        if (c == '\n') c = ' ';
    while (!m.empty() && m.back() == ' ') m.pop_back();
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vemomix_cli;

    CLI::App app{"vemomix: runs audio through the vemosoundmix effects chain, as a host program would."};
    app.require_subcommand(1);
    app.set_version_flag("--version", "vemomix " VEMOMIX_VERSION);

    RenderOptions render;
    std::vector<std::string> chain_list, enable_list;
    std::string buffer_text = "1024", tail_text = "0";
    auto* render_cmd = app.add_subcommand("render", "Render an audio file through the chain to 16-bit audio.");
    render_cmd->add_option("IN", render.input, "Input audio (any format libsndfile reads), mono or stereo")->required();
    render_cmd->add_option("OUT", render.output,
                           "Output audio, same rate and channels; its type follows the extension, - is WAV on "
                           "standard output")
        ->required();
    render_cmd->add_option("--type", render.type, "Output type instead of OUT's extension: " + audio_type_names());
    auto* bin_opt = render_cmd->add_option("--settings", render.settings_bin, "Settings record (748 bytes)");
    auto* json_opt = render_cmd->add_option("--json", render.settings_json, "Settings as JSON fields");
    bin_opt->excludes(json_opt);
    auto* chain_opt =
        render_cmd->add_option("--chain", chain_list, "Chain rows, e.g. 7,12,1 or echo,reverb,eq (replaces the chain)")
            ->expected(1)
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    render_cmd
        ->add_option("--enable", enable_list,
                     "Switch effects on: eq, compressor, pitch, distortion, overdrive, am, echo, drift, "
                     "phaser, denoise, chorus, reverb, wah, bass, invert, vibrato")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    render_cmd->add_option("--buffer", buffer_text, "Frames per vemomix_change call (1 to 1048576)")
        ->capture_default_str();
    render_cmd->add_option("--tail", tail_text, "Seconds of silence run through the chain after the input")
        ->capture_default_str();
    render_cmd->add_flag("-v,--verbose", render.verbose, "Report levels and full-scale samples after each effect");
    render_cmd->add_option("--levels", render.levels, "PNG of peak and RMS levels over time, input and output");
    render_cmd->add_option("--set", render.sets, "FIELD=VALUE: a record field (vemomix effects lists them)")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    render_cmd->add_option("--preset", render.preset, "Equaliser preset by name; switches the equaliser on");
    render_cmd->add_option("--preset-file", render.preset_file,
                           "Preset file for --preset (default: vemoeqset.eq beside the library)");
    render_cmd->add_flag("--force", render.force, "Apply values outside the parameter ranges as given");
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
    bool build_force = false;
    build_cmd->add_flag("--force", build_force, "Write values outside the parameter ranges as given");
    std::string defaults_out;
    auto* defaults_cmd =
        settings_cmd->add_subcommand("defaults", "Write every field of the library's starting record as JSON.");
    defaults_cmd->add_option("OUT", defaults_out, "JSON file to write")->required();

    std::string demo_out = "demo-out.wav";
    StripPaths demo_strips;
    auto* demo_cmd = app.add_subcommand("demo", "Render a built-in test signal through a showcase chain.");
    demo_cmd->add_option("--out", demo_out, "Output audio (type by extension)")->capture_default_str();
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
        // Help and --version are "errors" that exit 0.
        if (e.get_exit_code() == 0) return app.exit(e);
        std::fprintf(stderr, "vemomix: %s (see vemomix --help)\n", parse_error_text(e).c_str());
        return 2;
    }

    try {
        if (*render_cmd) {
            render.chain_given = chain_opt->count() > 0;
            render.chain = list_items(chain_list);
            render.enable = list_items(enable_list);
            render.buffer_frames = static_cast<int>(number_option("--buffer", buffer_text, 1, 1 << 20, true));
            render.tail_seconds = number_option("--tail", tail_text, 0, 86400, false);
            return render_command(render);
        }
        if (*effects_cmd) return effects_command(effect_name_arg);
        if (*dump_cmd) return settings_dump_command(dump_path);
        if (*build_cmd) return settings_build_command(build_json, build_out, build_force);
        if (*defaults_cmd) return settings_defaults_command(defaults_out);
        if (*demo_cmd) return demo_command(demo_out, demo_strips);
        if (*list_cmd) return presets_list_command(preset_file);
        if (*export_cmd) return presets_export_command(preset_file, preset_name, preset_json);
        if (*import_cmd) return presets_import_command(preset_file, preset_json);
        if (*delete_cmd) return presets_delete_command(preset_file, preset_name);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "vemomix: %s (see vemomix --help)\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vemomix: %s\n", e.what());
        return 1;
    }
    return 1;
}
