// The vemomix command-line host, run as a separate process on files made in a temporary directory: what a
// render runs and writes, where its output goes, and how every command refuses what it cannot do.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "cli_support.h"

namespace {

using namespace vemomix_test;

constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

// Which records and options make a render run the phase inversion, and which leave the samples as they
// are (every sample tells whether it ran); the output's type, rate and channels; what stderr says.
TEST_F(Cli, RenderRunsWhatTheRecordAndTheOptionsSwitchOnInTheTypeAsked) {
    write_audio(at("in.wav"), 44100, 2, test_samples(2 * 10007));  // a short last buffer
    write_audio(at("mono.wav"), 22050, 1, test_samples(3001));
    write_audio(at("48k.wav"), 48000, 2, test_samples(2 * 700));
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
        {"render in.wav out.wav --enable invert --buffer 5000", true},
        {"render in.wav out.wav --settings inv.bin", true},
        {"render in.wav out.wav --json inv.json", true},
        {"render in.wav out.wav --set invert_enabled=1", true},
        {"render in.wav out.wav --json off.json", false},  // switched on, no row
        {"render mono.wav out.wav --chain 15,invert --enable invert", false},  // two rows cancel
        {"render mono.wav out.wav --chain 7,12 --enable invert", false, kWav16,
         "vemomix: note: invert is enabled but not in the chain (echo > reverb), so it does not run\n"},
        // Repeated and listed switches add up, in any case, with spaces after commas.
        {"render in.wav out.wav --chain 15, 15,invert --enable Echo --enable invert, REVERB", true, kWav16,
         "vemomix: note: echo is enabled but not in the chain (invert > invert > invert), so it does not run\n"
         "vemomix: note: reverb is enabled but not in the chain (invert > invert > invert), so it does not run\n"},
        {"render 48k.wav out.wav", false},  // the library's defaults pass the samples through
        {"render in.wav o.flac --enable invert", true, SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
        {"render in.wav o.AIFF --enable invert", true, SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
        {"render in.wav o.aif --enable invert", true, SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
        {"render in.wav o.ogg --enable invert", true, SF_FORMAT_OGG | SF_FORMAT_VORBIS},
        {"render in.wav o.flac.wav --enable invert", true},
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
        const std::vector<int16_t> want = row.inverted ? inverted(in.samples) : in.samples;
        ASSERT_EQ(out.samples.size(), want.size());
        if ((row.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16) {  // lossless: every sample
            EXPECT_EQ(std::mismatch(want.begin(), want.end(), out.samples.begin()).first - want.begin(),
                      std::ssize(want)) << "first sample that differs";
        }
    }
    EXPECT_EQ(listing(work_.path()), (std::set<std::string>{"in.wav", "mono.wav", "48k.wav", "inv.json", "off.json",
                                                             "inv.bin", "out.wav", "o.flac", "o.AIFF", "o.aif", "o.ogg",
                                                             "o.flac.wav", "no-extension", "o.wav"}));
    EXPECT_EQ(run("--version").out, "vemomix " VEMOMIX_VERSION "\n");
}

// Full scale is 32768; louder samples are clipped, and the user is told how many.
TEST_F(Cli, FloatingPointInputIsScaledRoundedAndClipped) {
    write_float_audio(at("float.wav"), 11025, {0.5f, -1.0f, 1.5f, -2.0f, 0.25f / 32768, 3.0f / 32768, -0.75f});
    const Outcome r = run("render float.wav out.wav");
    EXPECT_EQ(std::tuple(r.status, r.err),
              std::tuple(0, "vemomix: warning: float.wav: 2 samples were louder than full scale and were clipped to 16 bits\n"));
    const Audio out = read_audio(at("out.wav"));
    EXPECT_EQ(std::tuple(out.format, out.rate), std::tuple(kWav16, 11025));
    EXPECT_EQ(out.samples, (std::vector<int16_t>{16384, -32768, 32767, -32768, 0, 3, -24576}));
}

// Every refusal is one line on stderr with its exit status, and writes nothing (no half-written output).
TEST_F(Cli, RefusalsAreOneLineWithTheirStatusAndWriteNothing) {
    spit(at("text.wav"), "this is not audio\n");
    write_audio(at("32k.wav"), 32000, 2, test_samples(200));
    write_audio(at("three.wav"), 44100, 3, test_samples(300));
    write_audio(at("ok.wav"), 44100, 2, test_samples(2 * 2000));
    write_audio(at("short.wav"), 44100, 2, test_samples(2 * 413));
    write_audio(at("m22.wav"), 22050, 1, test_samples(3000));
    spit(at("747.bin"), std::string(747, '\0'));
    spit(at("749.bin"), std::string(749, '\0'));
    spit(at("ok.bin"), std::string(748, '\0'));
    spit(at("ok.json"), "{}");
    spit(at("broken.json"), R"({"comp_threshold_db": -30,)");
    spit(at("unknown.json"), R"({"comp_treshold_db": -30})");
    spit(at("type.json"), R"({"comp_attack_ms": "fast"})");
    spit(at("range.json"), R"({"invert_enabled": 256})");
    spit(at("levels.json"), R"({"eq_band_level": [1, 2.5]})");
    spit(at("far.json"), R"({"echo_enabled": 1, "echo_delay_s": 1e9})");
    spit(at("band.json"), R"({"eq_band_level": [0, 999]})");
    const std::string effects = "eq, compressor, pitch, distortion, overdrive, am, echo, drift, phaser, denoise, "
                                "chorus, reverb, wah, bass, invert, vibrato)";
    const std::string types = "(wav, wave, w64, rf64, flac, aiff, aif, caf, au, snd, ogg, oga, opus, mp3, raw)";
    const std::string outside = " is outside its range, ", force = " (--force applies it as given)";
    expect_refusals({
        {"", 2, "*subcommand*"},  // the argument parser's own wording
        {"render ok.wav", 2, "*OUT*"},
        {"render ok.wav out.wav --bogus", 2, "*--bogus*"},
        {"render missing.wav out.wav", 1, "missing.wav: cannot open: *"},
        {"render text.wav out.wav", 1, "text.wav: not audio that libsndfile reads: *"},
        {"render 32k.wav out.wav", 1,
         "32k.wav: unsupported sample rate 32000 Hz (the effects run at 11025, 22050, 44100 or 48000 Hz)"},
        {"render three.wav out.wav", 1, "three.wav: unsupported channel count 3 (mono or stereo only)"},
        {"render ok.wav no-dir/out.wav", 1, "no-dir/out.wav: cannot create the output: *"},
        {"render ok.wav o.xyz", 2, "o.xyz: no audio type has the extension .xyz; name one with --type " + types},
        {"render ok.wav o.wav --type mp4", 2, "--type: \"mp4\" is not an audio type " + types},
        {"render ok.wav out.wav --chain 17", 2, "--chain: \"17\" is not an effect (1..16 or one of: " + effects},
        {"render ok.wav out.wav --enable flanger", 2, "--enable: \"flanger\" is not an effect (one of: " + effects},
        {"render ok.wav out.wav --buffer abc", 2, "--buffer: \"abc\" is not a whole number (1 to 1048576)"},
        {"render ok.wav out.wav --buffer 0", 2, "--buffer: 0 is outside 1 to 1048576"},
        {"render ok.wav out.wav --buffer 1 --buffer 2", 2, "--buffer: given more than once"},
        {"render ok.wav out.wav --tail -1", 2, "--tail: -1 is outside 0 to 86400"},
        {"render ok.wav out.wav --json ok.json --settings ok.bin", 2, "--settings excludes --json"},
        {"render ok.wav out.wav --settings 747.bin", 1, "747.bin: a settings record is 748 bytes, this file has 747"},
        {"settings dump 749.bin", 1, "749.bin: a settings record is 748 bytes, this file has 749"},
        {"settings dump missing.bin", 1, "missing.bin: cannot read: *"},
        {"render ok.wav out.wav --json broken.json", 1, "broken.json: malformed JSON: *"},
        {"settings build broken.json out.bin", 1, "broken.json: malformed JSON: *"},
        {"settings build unknown.json out.bin", 1, "unknown.json: unknown field \"comp_treshold_db\""},
        {"settings build type.json out.bin", 1,
         "type.json: field \"comp_attack_ms\" must be an integer from -2147483648 to 2147483647, not the string \"fast\""},
        {"render ok.wav out.wav --json range.json", 1,
         "range.json: field \"invert_enabled\" must be an integer from 0 to 255, not 256"},
        {"settings build levels.json out.bin", 1,
         "levels.json: field \"eq_band_level\" element 1 must be an integer from -2147483648 to 2147483647, not 2.5"},
        // Ranges come from the parameter table; those in samples follow the input's format (22050 Hz mono).
        {"render m22.wav out.wav --set eq_band_level[3]=999", 2, "--set: eq_band_level[3] 999" + outside + "-20..20 dB" + force},
        {"render m22.wav out.wav --set echo_delay_s=1e9", 2, "--set: echo_delay_s 1e+09" + outside + "0..1.6 s" + force},
        {"render m22.wav out.wav --set eq_band_count=12", 2,
         "--set: eq_band_count 12" + outside + "10, 15, 25 or 31 bands" + force},
        {"render m22.wav out.wav --set pitch_frame_size=1000", 2,
         "--set: pitch_frame_size 1000" + outside + "256..8192 samples, powers of two" + force},
        {"render m22.wav out.wav --set denoise_hold=4411", 2, "--set: denoise_hold 4411" + outside + "0..4410 samples" + force},
        {"render m22.wav out.wav --set no_such=1", 2, "--set: no field is called \"no_such\" (vemomix effects lists them)"},
        {"render m22.wav out.wav --set echo_delay_s", 2, "--set: \"echo_delay_s\" is not FIELD=VALUE"},
        {"render m22.wav out.wav --json far.json", 1, "far.json: echo_delay_s 1e+09" + outside + "0..1.6 s" + force},
        {"settings build band.json out.bin", 1, "band.json: eq_band_level[1] 999" + outside + "-20..20 dB" + force},
        // The strip and the levels: a picture that cannot be drawn or written stops the render.
        {"render short.wav out.wav --strip s.png", 1,
         "s.png: no buffer had 414 frames or more (one per column of the strip), so there is no level strip to draw"},
        {"render ok.wav out.wav --buffer 413 --strip-timeline t.png", 2,
         "--buffer: the level strip needs buffers of at least 414 frames, one per column"},
        {"render ok.wav out.wav --strip no-dir/s.png", 1, "no-dir/s.png: cannot create the output: *"},
        {"render ok.wav out.wav --levels no-dir/l.png", 1, "no-dir/l.png: cannot create the output: *"},
        {"effects flanger", 1, "effects: \"flanger\" is not an effect (see vemomix effects)"},
    });
    // The boundary itself is in range.
    EXPECT_EQ(run("render m22.wav out.wav --set denoise_hold=4410").status, 0);
}

// The listing comes from the parameter table: ranges, units and defaults as the editor has them.
TEST_F(Cli, EffectsListsEachEffectsParameters) {
    const std::pair<std::string, std::string> rows[] = {
        {"effects", "12  reverb      reverberation         7 parameters\n"},
        {"effects reverb", "  reverb_wet_db        wet level          -80..0 dB, default -10\n"},
        {"effects 10", "  denoise_hold         hold               0..17640 samples (0..200 ms of all channels; "
                       "shown for 44100 Hz stereo), default 176\n"},
        // Float fields are listed with a float's digits.
        {"effects ECHO", "  echo_delay_s         delay              0..1.6 s, steps of 0.1, default 0.6\n"},
        {"effects phaser", "phaser (9): phaser\n"
                           "  phaser_enabled       on                 0..1, default 0\n"
                           "  phaser_low_hz        low                10..800 Hz, default 440\n"
                           "  phaser_high_hz       high               801..4000 Hz, default 1600\n"
                           "  phaser_rate          rate               1..100 0.01 Hz, default 50\n"
                           "  phaser_feedback      feedback           1..100 %, default 69\n"
                           "  phaser_mix           mix                1..10 0.1, default 10\n"}};
    for (const auto& [line, shown] : rows) {
        const Outcome r = run(line);
        EXPECT_EQ(std::tuple(r.status, r.err), std::tuple(0, "")) << line;
        EXPECT_NE(r.out.find(shown), std::string::npos) << r.out;
    }
}

TEST_F(Cli, DemoWritesTheSameMusicEveryTime) {
    const Outcome r = run("demo");
    ASSERT_EQ(r.status, 0) << r.err;
    const Audio a = read_audio(at("demo-out.wav"));
    EXPECT_EQ(std::tuple(a.rate, a.channels, a.samples.size()), std::tuple(44100, 2, 2u * 8 * 44100));
    for (const char* text : {"eq > compressor > chorus > echo > reverb", "demo-out.wav", "peak"})
        EXPECT_NE(r.out.find(text), std::string::npos) << r.out;
    const Picture strip = read_png(at("demo-strip.png"));
    EXPECT_EQ(std::tuple(strip.ok, strip.width, strip.height), std::tuple(true, 414, 42));
    // The strip goes beside the output wherever that is.
    fs::create_directory(at("sub"));
    ASSERT_EQ(run("demo --out sub/again.wav").status, 0);
    EXPECT_EQ(file_bytes(at("sub/again.wav")), file_bytes(at("demo-out.wav")));
    EXPECT_EQ(read_png(at("sub/demo-strip.png")).rgb, strip.rgb);
}

// A symbolic link stays a link to the replaced file; a file keeps its permissions; "-" is standard output;
// a pipe, a FIFO and a device are written, not replaced.
TEST_F(Cli, LinksPermissionsStandardOutputAndSpecialFiles) {
    write_audio(at("in.wav"), 11025, 1, test_samples(4000));
    ASSERT_EQ(run("render in.wav plain.wav --enable invert").status, 0);
    const std::string rendered = file_bytes(at("plain.wav"));
    constexpr auto kMode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::create_directory(at("real"));
    spit(at("real/target.wav"), "old");
    fs::permissions(at("real/target.wav"), kMode);
    fs::create_symlink("real/target.wav", at("link.wav"));
    fs::create_symlink("link.wav", at("link2.wav"));  // a chain of links
    ASSERT_EQ(run("render in.wav link2.wav --enable invert").status, 0);
    EXPECT_TRUE(fs::is_symlink(at("link.wav")) && fs::is_symlink(at("link2.wav")));
    EXPECT_EQ(std::tuple(file_bytes(at("real/target.wav")), fs::status(at("real/target.wav")).permissions()),
              std::tuple(rendered, kMode));
    EXPECT_EQ(listing(at("real")), std::set<std::string>{"target.wav"});

    EXPECT_EQ(run("render in.wav - --enable invert").out, rendered);
    // A pipe cannot seek back to finish the header: the WAV is still complete.
    const auto shell = [&](const std::string& cmd) {
        return std::system(std::string("cd '").append(work_.path().string()).append("' && { ").append(cmd).append("; }").c_str());
    };
    const std::string render = "'" VEMOMIX_BIN "' render in.wav ";
    ASSERT_EQ(shell(render + "- --enable invert | cat > piped.wav"), 0);
    EXPECT_EQ(file_bytes(at("piped.wav")), rendered);
    ASSERT_EQ(mkfifo(at("fifo").c_str(), 0600), 0);
    ASSERT_EQ(shell("cat fifo > from-fifo & " + render + "fifo --enable invert; s=$?; wait; exit $s"), 0);
    EXPECT_TRUE(fs::is_fifo(at("fifo")));
    EXPECT_EQ(file_bytes(at("from-fifo")), rendered);

    // As root a device node can be made here; the render must write through it and leave it a device.
    if (geteuid() == 0 && mknod(at("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        EXPECT_EQ(run("render in.wav null --enable invert").status, 0);
        EXPECT_TRUE(fs::is_character_file(at("null")));
    }
}

}  // namespace
