#include "commands.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "audio_file.h"
#include "cli_error.h"
#include "effect_names.h"
#include "host.h"
#include "record_json.h"

namespace vemomix_cli {

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
    if (fields) record = record_from_json(*fields, lib.current(), opt.settings_json);
    if (!record) record = lib.current();
    lib.apply(*record);

    if (opt.chain_given || !opt.enable.empty()) {
        if (opt.chain_given) apply_chain(*record, opt.chain);
        apply_enable(*record, opt.enable);
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
            throw CliError("--buffer", "the level strip needs buffers of at least " + std::to_string(strips->width()) +
                                           " frames, one per column");
    }
    WavWriter out(opt.output, in.rate(), in.channels());
    run_buffers(
        in.channels(), opt.buffer_frames, in.frames(), [&](int16_t* buf, int64_t n) { return in.read(buf, n); },
        [&](const int16_t* buf, int64_t n) { out.write(buf, n); }, strips ? strips->hook() : ChangeHook{});
    if (strips) strips->encode();
    out.commit();
    if (strips) strips->commit();
    return 0;
}

int settings_dump_command(const std::string& record_path) {
    const EffectSettings s = record_from_bytes(read_file(record_path), record_path);
    const std::string text = format_json(record_to_json(s));
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int settings_build_command(const std::string& json_path, const std::string& record_path) {
    const Json fields = parse_json(read_file(json_path), json_path);
    const EffectSettings s = record_from_json(fields, default_record(), json_path);
    write_file(record_path, std::string(reinterpret_cast<const char*>(&s), sizeof s));
    return 0;
}

}  // namespace vemomix_cli
