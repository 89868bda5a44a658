// The vemomix command-line host, run as a separate process on files made in a temporary directory: what a
// render runs and writes, the listings, and how every command refuses what it cannot do.
#include "cli_support.h"

namespace {

using namespace vemomix_test;

constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

// Which records and options make a render run the phase inversion, and which leave the samples as they
// are (every sample tells whether it ran); the output's type, rate and channels; what stderr says.
TEST_F(Cli, RenderRunsWhatTheRecordAndTheOptionsSwitchOnInTheTypeAsked) {
    write_audio(at("in.wav"), 44100, 2, test_samples(2 * 10007));  // a short last buffer
    write_audio(at("mono.wav"), 22050, 1, test_samples(3001));
    spit(at("inv.json"), R"({"invert_enabled": 1, "chain_order": [15]})");
    spit(at("off.json"), R"({"invert_enabled": 1, "chain_order": [3, 0, 1]})");
    ASSERT_EQ(run("settings build inv.json inv.bin").status, 0);
    struct Row {
        std::string line;
        bool inverted;
        int format = kWav16;
        std::string told = "";
    };
    const Row rows[] = {
        {"render in.wav out.wav --enable invert", true},
        // The library slices buffers longer than 4096 frames itself: the slicing changes nothing.
        {"render in.wav out.wav --enable invert --buffer 1", true},
        {"render in.wav out.wav --settings inv.bin", true},
        {"render in.wav out.wav --json inv.json", true},
        {"render in.wav out.wav --set invert_enabled=1", true},
        {"render in.wav out.wav --json off.json", false},  // switched on, no row
        {"render mono.wav out.wav --chain 7,12 --enable invert", false, kWav16,
         "vemomix: note: invert is enabled but not in the chain (echo > reverb), so it does not run\n"},
        // Repeated and listed switches add up, in any case, with spaces after commas.
        {"render in.wav out.wav --chain 15, 15,invert --enable Echo --enable invert, REVERB", true, kWav16,
         "vemomix: note: echo is enabled but not in the chain (invert > invert > invert), so it does not run\n"
         "vemomix: note: reverb is enabled but not in the chain (invert > invert > invert), so it does not run\n"},
        {"render in.wav o.flac --enable invert", true, SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
        {"render in.wav o.AIFF --enable invert", true, SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
        {"render in.wav no-extension --enable invert", true},
        {"render in.wav o.wav --enable invert --type flac", true, SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        const Outcome r = run(row.line);
        EXPECT_EQ(std::tuple(r.status, r.err), std::tuple(0, row.told));
        const std::vector<std::string> args = words(row.line);
        const Audio in = read_audio(at(args[1])), out = read_audio(at(args[2]));
        EXPECT_EQ(std::tuple(out.rate, out.channels, out.format), std::tuple(in.rate, in.channels, row.format));
        EXPECT_EQ(out.samples, row.inverted ? inverted(in.samples) : in.samples);
    }
    // A built-in preset is its bands and levels with the equaliser on.
    ASSERT_EQ(run("render in.wav rock.wav --preset Rock摇滚模式").status, 0);
    ASSERT_EQ(run("render in.wav set.wav --set eq_enabled=1 --set eq_band_count=10 "
                  "--set eq_band_level=8, 6, -6, 8, -2, 4, 8, 10, 10, 10").status, 0);
    EXPECT_EQ(read_audio(at("rock.wav")).samples, read_audio(at("set.wav")).samples);
    EXPECT_NE(read_audio(at("rock.wav")).samples, read_audio(at("in.wav")).samples);
    EXPECT_EQ(run("--version").out, "vemomix " VEMOMIX_VERSION "\n");
}

// Every refusal is one line on stderr with its exit status, and writes nothing (no half-written output).
TEST_F(Cli, RefusalsAreOneLineWithTheirStatusAndWriteNothing) {
    write_audio(at("32k.wav"), 32000, 2, test_samples(200));
    write_audio(at("ok.wav"), 44100, 2, test_samples(2 * 2000));
    write_audio(at("short.wav"), 44100, 2, test_samples(2 * 413));
    write_audio(at("m22.wav"), 22050, 1, test_samples(3000));
    // clang-format off
    const std::pair<const char*, std::string> files[] = {
        {"text.wav", "this is not audio\n"}, {"747.bin", std::string(747, '\0')}, {"ok.bin", std::string(748, '\0')},
        {"ok.json", "{}"}, {"broken.json", R"({"comp_threshold_db": -30,)"}, {"notes.eq", "notes\nsome text\n"},
        {"unknown.json", R"({"comp_treshold_db": -30})"}, {"type.json", R"({"comp_attack_ms": "fast"})"},
        {"far.json", R"({"echo_enabled": 1, "echo_delay_s": 1e9})"},
        {"exists.json", R"({"name": "31频段缺省模式", "band_count": 10, "gains": []})"},
        {"fraction.json", R"({"name": "X", "band_count": 10, "gains": [1, 2.5]})"},
        {"new.json", R"({"name": "New", "band_count": 10, "gains": []})"}};
    // clang-format on
    for (const auto& [name, bytes] : files) spit(at(name), bytes);
    fs::create_directory(at("a-dir"));
    fs::create_symlink("loop.wav", at("loop.wav"));
    const std::string effects = "eq, compressor, pitch, distortion, overdrive, am, echo, drift, phaser, denoise, "
                                "chorus, reverb, wah, bass, invert, vibrato)";
    const std::string types = "(wav, wave, w64, rf64, flac, aiff, aif, caf, au, snd, ogg, oga, opus, mp3, raw)";
    const std::string outside = " is outside its range, ", force = " (--force applies it as given)";
    expect_refusals({
        {"render ok.wav out.wav --bogus", 2, "*--bogus*"},  // the argument parser's own wording
        {"render missing.wav out.wav", 1, "missing.wav: cannot open: *"},
        {"render text.wav out.wav", 1, "text.wav: not audio that libsndfile reads: *"},
        {"render 32k.wav out.wav", 1,
         "32k.wav: unsupported sample rate 32000 Hz (the effects run at 11025, 22050, 44100 or 48000 Hz)"},
        {"render ok.wav no-dir/out.wav", 1, "no-dir/out.wav: cannot create the output: *"},
        {"render ok.wav o.xyz", 2, "o.xyz: no audio type has the extension .xyz; name one with --type " + types},
        {"render ok.wav o.wav --type mp4", 2, "--type: \"mp4\" is not an audio type " + types},
        {"render ok.wav out.wav --chain 17", 2, "--chain: \"17\" is not an effect (1..16 or one of: " + effects},
        {"render ok.wav out.wav --enable flanger", 2, "--enable: \"flanger\" is not an effect (one of: " + effects},
        {"render ok.wav out.wav --buffer abc", 2, "--buffer: \"abc\" is not a whole number (1 to 1048576)"},
        {"render ok.wav out.wav --tail -1", 2, "--tail: -1 is outside 0 to 86400"},
        {"render ok.wav out.wav --json ok.json --settings ok.bin", 2, "--settings excludes --json"},
        {"render ok.wav out.wav --settings 747.bin", 1, "747.bin: a settings record is 748 bytes, this file has 747"},
        {"settings dump missing.bin", 1, "missing.bin: cannot read: *"},
        {"settings build broken.json out.bin", 1, "broken.json: malformed JSON: *"},
        {"settings build unknown.json out.bin", 1, "unknown.json: unknown field \"comp_treshold_db\""},
        {"settings build type.json out.bin", 1,
         "type.json: field \"comp_attack_ms\" must be an integer from -2147483648 to 2147483647, not the string \"fast\""},
        // Ranges come from the parameter table; those in samples follow the input's format (22050 Hz mono).
        {"render m22.wav out.wav --set eq_band_level[3]=999", 2, "--set: eq_band_level[3] 999" + outside + "-20..20 dB" + force},
        {"render m22.wav out.wav --set denoise_hold=4411", 2, "--set: denoise_hold 4411" + outside + "0..4410 samples" + force},
        {"render m22.wav out.wav --set no_such=1", 2, "--set: no field is called \"no_such\" (vemomix effects lists them)"},
        {"render m22.wav out.wav --set echo_delay_s", 2, "--set: \"echo_delay_s\" is not FIELD=VALUE"},
        {"render m22.wav out.wav --json far.json", 1, "far.json: echo_delay_s 1e+09" + outside + "0..1.6 s" + force},
        {"render short.wav out.wav --strip s.png", 1,
         "s.png: no buffer had 414 frames or more (one per column of the strip), so there is no level strip to draw"},
        {"render ok.wav out.wav --buffer 413 --strip-timeline t.png", 2,
         "--buffer: the level strip needs buffers of at least 414 frames, one per column"},
        {"effects flanger", 1, "effects: \"flanger\" is not an effect (see vemomix effects)"},
        // Presets: the page's own text with its meaning, JSON that is not a preset, files that cannot be written.
        {"presets import exists.json --file p.eq", 1,
         "preset \"31频段缺省模式\": \"输入音效模式名称已存在\" (a preset of that name exists)"},
        {"presets import fraction.json --file p.eq", 1, "fraction.json: gains[1] must be a 32-bit integer"},
        {"presets import new.json --file no-dir/p.eq", 1, "no-dir/p.eq: cannot write: *; the old file is left as it was"},
        {"presets import new.json --file a-dir", 1, "a-dir: not a regular file"},
        {"render ok.wav loop.wav", 1, "loop.wav: a loop of symbolic links; nothing was written"},
        {"presets delete Rock摇滚模式 --file p.eq", 1,
         "preset \"Rock摇滚模式\": \"内置音效，无法删除\" (built-in presets cannot be deleted)"},
        {"presets delete X --file notes.eq", 1, "notes.eq: not a preset file, or damaged: its size, 16 bytes, is not a "
                                                "whole number of 196-byte preset records; it is left as it is"},
    });
    EXPECT_EQ(file_bytes(at("notes.eq")), "notes\nsome text\n");
    EXPECT_EQ(run("render m22.wav out.wav --json far.json --force").status, 0);  // as given, without a word
}

// The listing comes from the parameter table: ranges, units and defaults as the editor has them; float
// fields with a float's digits.
TEST_F(Cli, EffectsListsEachEffectsParameters) {
    const std::pair<std::string, std::string> rows[] = {
        {"effects ECHO", "echo (7): echo\n"
                         "  echo_enabled         on                 0..1, default 0\n"
                         "  echo_delay_s         delay              0..1.6 s, steps of 0.1, default 0.6\n"
                         "  echo_feedback        feedback           0..1, steps of 0.1, default 0.5\n"},
        {"effects 8", "drift (8): drift\n"
                      "  drift_enabled        on                 0..1, default 0\n"
                      "  drift_feedback       feedback           0..204 1/256, default 100\n"
                      "  drift_depth          depth              0..50 4 samples, default 50\n"
                      "  drift_wet            wet                0..256 1/256, default 250\n"
                      "  drift_dry            dry                0..256 1/256, default 200\n"
                      "  drift_speed          speed              1..1000 1/1000 step, logarithmic slider, default 5\n"},
        {"effects phaser", "phaser (9): phaser\n"
                           "  phaser_enabled       on                 0..1, default 0\n"
                           "  phaser_low_hz        low                10..800 Hz, default 440\n"
                           "  phaser_high_hz       high               801..4000 Hz, default 1600\n"
                           "  phaser_rate          rate               1..100 0.01 Hz, default 50\n"
                           "  phaser_feedback      feedback           1..100 %, default 69\n"
                           "  phaser_mix           mix                1..10 0.1, default 10\n"}};
    for (const auto& [line, shown] : rows) {
        const Outcome r = run(line);
        EXPECT_EQ(std::tuple(r.status, r.out, r.err), std::tuple(0, shown, "")) << line;
    }
}

}  // namespace
