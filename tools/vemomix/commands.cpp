#include "commands.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "audio_file.h"
#include "cli_error.h"
#include "effect_names.h"
#include "host.h"
#include "levels_plot.h"
#include "params.h"
#include "record_json.h"

namespace vemomix_cli {
namespace {

std::string base_name(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void report_levels(const char* what, const Levels& l) {
    std::fprintf(stderr, "vemomix:   %-15s peak %7.2f dBFS  RMS %7.2f dBFS  %lld at full scale\n", what, l.peak_dbfs(),
                 l.rms_dbfs(), static_cast<long long>(l.full_scale));
}

// --verbose: what ran, and how many samples sat at full scale after each effect (several rows of one
// effect add up), like sox's clipping report.
void report_render(const RenderOptions& opt, int rate, int channels, const EffectSettings& record,
                   const RenderStats& stats, int64_t tail, const StageClipCounter& clips) {
    std::vector<int> ran;
    for (int t : running_rows(record))
        if (enabled_flag(record, t) == 1 && std::find(ran.begin(), ran.end(), t) == ran.end()) ran.push_back(t);
    std::fprintf(stderr, "vemomix: %s > %s: %d Hz, %d channel%s, %lld frames (%.3f s, %lld of them --tail), "
                 "buffers of %d frames\n",
                 opt.input.c_str(), opt.output.c_str(), rate, channels, channels == 1 ? "" : "s",
                 static_cast<long long>(stats.frames), static_cast<double>(stats.frames) / rate,
                 static_cast<long long>(std::min(tail, stats.frames)), opt.buffer_frames);
    std::fprintf(stderr, "vemomix:   chain %s\n", describe_chain(ran).c_str());
    report_levels("input", stats.in);
    for (int t : ran)
        std::fprintf(stderr, "vemomix:   after %-9s %lld at full scale\n", effect_name(t),
                     static_cast<long long>(clips.at_full_scale(t)));
    report_levels("output", stats.out);
}

}  // namespace

int render_command(const RenderOptions& opt) {
    // Settings files are checked before any audio is touched.
    std::optional<EffectSettings> record;
    std::optional<Json> fields;
    if (!opt.settings_bin.empty()) record = record_from_bytes(read_file(opt.settings_bin), opt.settings_bin);
    if (!opt.settings_json.empty()) fields = parse_json(read_file(opt.settings_json), opt.settings_json);

    AudioReader in(opt.input);
    check_format(in.rate(), in.channels(), opt.input);

    const LibrarySession lib(in.rate(), in.channels());
    // Fields the JSON leaves out keep what the library starts with for this format.
    if (fields) {
        record = record_from_json(*fields, lib.current(), opt.settings_json);
        if (!opt.force) check_ranges(*fields, *record, in.rate(), in.channels(), opt.settings_json, false);
    }
    if (!record) record = lib.current();
    lib.apply(*record);

    if (!opt.preset.empty() || opt.chain_given || !opt.enable.empty() || !opt.sets.empty()) {
        if (!opt.preset.empty()) apply_preset(*record, opt.preset_file, opt.preset);
        if (opt.chain_given) apply_chain(*record, opt.chain);
        apply_enable(*record, opt.enable);
        if (!opt.sets.empty()) {
            const Json given = sets_to_json(opt.sets, *record);
            try {
                record = record_from_json(given, *record, "--set");
            } catch (const UsageError&) {
                throw;
            } catch (const CliError& e) {
                throw UsageError(e.what());
            }
            if (!opt.force) check_ranges(given, *record, in.rate(), in.channels(), "--set", true);
        }
        lib.apply(*record);
    }
    const std::vector<int> rows = running_rows(*record);
    for (const auto& name : opt.enable) {
        const int t = effect_type(name);
        if (std::find(rows.begin(), rows.end(), t) == rows.end())
            std::fprintf(stderr, "vemomix: note: %s is enabled but not in the chain (%s), so it does not run\n",
                         effect_name(t), describe_chain(rows).c_str());
    }

    std::optional<StripOutputs> strips;
    if (opt.strips.any()) {
        strips.emplace(opt.strips, in.rate());
        if (opt.buffer_frames < strips->width())
            throw UsageError("--buffer", "the level strip needs buffers of at least " +
                                             std::to_string(strips->width()) + " frames, one per column");
    }
    std::optional<LevelsPlot> plot;
    if (!opt.levels.empty())
        plot.emplace(opt.levels, in.rate(), in.channels(), base_name(opt.input) + " > " + base_name(opt.output));
    AudioWriter out(opt.output, in.rate(), in.channels(), opt.type);
    std::optional<StageClipCounter> stage_clips;
    if (opt.verbose) stage_clips.emplace();

    // The input, then --tail seconds of silence so that echoes and reverberation ring out.
    const int64_t tail = std::llround(opt.tail_seconds * in.rate());
    int64_t tail_done = 0;
    bool input_done = false;
    const int64_t announced = in.frames() > 0 && in.frames() < (int64_t{1} << 40) ? in.frames() + tail : 0;
    const RenderStats stats = run_buffers(
        in.channels(), opt.buffer_frames, announced,
        [&](int16_t* buf, int64_t n) {
            if (!input_done) {
                const int64_t got = in.read(buf, n);
                if (got > 0) return got;
                input_done = true;
            }
            const int64_t take = std::min(n, tail - tail_done);
            std::fill_n(buf, take * in.channels(), int16_t{0});
            tail_done += take;
            return take;
        },
        [&](const int16_t* buf, int64_t n) { out.write(buf, n); }, strips ? strips->hook() : ChangeHook{},
        plot ? plot->hook() : BufferHook{});
    if (strips) strips->encode();
    if (plot) plot->encode();
    out.commit();
    if (strips) strips->commit();
    if (plot) plot->commit();

    const std::string truncated = in.truncation();
    if (!truncated.empty()) std::fprintf(stderr, "vemomix: warning: %s: %s\n", opt.input.c_str(), truncated.c_str());
    if (in.clipped() > 0)
        std::fprintf(stderr, "vemomix: warning: %s: %lld samples were louder than full scale and were clipped to 16 bits\n",
                     opt.input.c_str(), static_cast<long long>(in.clipped()));
    if (stage_clips)
        report_render(opt, in.rate(), in.channels(), *record, stats, tail, *stage_clips);
    else if (stats.out.full_scale > stats.in.full_scale)
        std::fprintf(stderr, "vemomix: warning: %s: %lld samples ended at full scale (the input had %lld): clipped\n",
                     opt.output.c_str(), static_cast<long long>(stats.out.full_scale),
                     static_cast<long long>(stats.in.full_scale));
    return 0;
}

int settings_dump_command(const std::string& record_path) {
    const EffectSettings s = record_from_bytes(read_file(record_path), record_path);
    const std::string text = format_json(record_to_json(s));
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int settings_build_command(const std::string& json_path, const std::string& record_path, bool force) {
    const Json fields = parse_json(read_file(json_path), json_path);
    const EffectSettings s = record_from_json(fields, default_record(), json_path);
    if (!force) check_ranges(fields, s, 44100, 2, json_path, false);
    write_file(record_path, std::string(reinterpret_cast<const char*>(&s), sizeof s));
    return 0;
}

}  // namespace vemomix_cli
