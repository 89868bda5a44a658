// The vemomix command-line host, run as a separate process on files made in a temporary directory.
#include <bit>
#include <cstring>
#include <nlohmann/json.hpp>

#include "../torture/torture.h"
#include "cli_support.h"
#include "vemosoundmix.h"

namespace {

using namespace vemomix_test;
using vemo::torture::reserved_byte;

std::string bytes_of(const EffectSettings& s) { return std::string(reinterpret_cast<const char*>(&s), sizeof s); }

// Which records and options make a render run the phase inversion, and which leave the samples as
// they are.  The inversion is exact, so every sample tells whether it ran (-32768 has no positive twin).
TEST_F(Cli, RenderRunsWhatTheRecordAndTheOptionsSwitchOn) {
    struct Input {
        const char* name;
        int rate, channels, frames;
    };
    const Input inputs[] = {{"in.wav", 44100, 2, 10007 /* a short last buffer */}, {"mono.wav", 22050, 1, 3001},
                            {"48k.wav", 48000, 2, 700}};
    for (const Input& i : inputs) write_audio(at(i.name), i.rate, i.channels, test_samples(i.frames * i.channels));
    spit(at("inv.json"), R"({"invert_enabled": 1, "chain_order": [15]})");
    spit(at("off.json"), R"({"invert_enabled": 1, "chain_order": [3, 0, 1]})");
    ASSERT_EQ(vemomix({"settings", "build", at("inv.json"), at("inv.bin")}).status, 0);
    struct Row {
        const char* in;
        std::vector<std::string> options;
        bool inverted;
        const char* told = nullptr;  // what stderr mentions; nothing at all when null
    };
    const Row rows[] = {
        {"in.wav", {"--enable", "invert"}, true},
        // The library slices buffers longer than 4096 frames itself: the slicing changes nothing.
        {"in.wav", {"--enable", "invert", "--buffer", "1"}, true},
        {"in.wav", {"--enable", "invert", "--buffer", "5000"}, true},
        {"in.wav", {"--settings", at("inv.bin")}, true},
        {"in.wav", {"--json", at("inv.json")}, true},
        {"in.wav", {"--json", at("off.json")}, false},                       // switched on, no row
        {"mono.wav", {"--chain", "15,invert", "--enable", "invert"}, false},  // two rows cancel
        {"mono.wav", {"--chain", "7,12", "--enable", "invert"}, false, "invert"},  // the user is told why
        {"48k.wav", {}, false},  // the library's defaults pass the samples through
    };
    for (const Row& row : rows) {
        std::vector<std::string> args = {"render", at(row.in), at("out.wav")};
        args.insert(args.end(), row.options.begin(), row.options.end());
        SCOPED_TRACE(::testing::PrintToString(args));
        const Outcome r = vemomix(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(row.told ? r.err.find(row.told) != std::string::npos : r.err.empty()) << r.err;
        const Audio in = read_audio(at(row.in)), out = read_audio(at("out.wav"));
        EXPECT_EQ(std::tuple(out.rate, out.channels, out.format),
                  std::tuple(in.rate, in.channels, SF_FORMAT_WAV | SF_FORMAT_PCM_16));
        std::vector<int16_t> want = in.samples;
        for (int16_t& v : want) v = row.inverted && v != INT16_MIN ? static_cast<int16_t>(-v) : v;
        ASSERT_EQ(out.samples.size(), want.size());
        EXPECT_EQ(std::mismatch(want.begin(), want.end(), out.samples.begin()).first - want.begin(), std::ssize(want))
            << "first sample that differs";
    }
    EXPECT_EQ(listing(work_.path()),
              (std::set<std::string>{"in.wav", "mono.wav", "48k.wav", "inv.json", "off.json", "inv.bin", "out.wav"}));
}

TEST_F(Cli, FloatingPointInputIsScaledRoundedAndClipped) {
    SF_INFO info{0, 11025, 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 0, 0};
    SNDFILE* sf = sf_open(at("float.wav").c_str(), SFM_WRITE, &info);
    ASSERT_NE(sf, nullptr);
    const float values[] = {0.5f, -1.0f, 1.5f, -2.0f, 0.25f / 32768.0f, 3.0f / 32768.0f, -0.75f};
    sf_writef_float(sf, values, std::size(values));
    sf_close(sf);
    const Outcome r = vemomix({"render", at("float.wav"), at("out.wav")});
    ASSERT_EQ(r.status, 0) << r.err;
    const Audio out = read_audio(at("out.wav"));
    EXPECT_EQ(std::tuple(out.format, out.rate), std::tuple(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 11025));
    // Full scale is 32768.
    EXPECT_EQ(out.samples, (std::vector<int16_t>{16384, -32768, 32767, -32768, 0, 3, -24576}));
}

// A record with arbitrary bytes everywhere, the awkward float values included, survives dump and build.
TEST_F(Cli, DumpThenBuildGivesBackEveryDefinedByte) {
    EffectSettings s;
    uint32_t x = 7;
    for (size_t i = 0; i < sizeof s; ++i)
        vemo::torture::bytes_of(s)[i] = static_cast<uint8_t>((x = x * 1664525u + 1013904223u) >> 24);
    // A NaN with a payload, -inf, -0, the smallest subnormal, a float with no short decimal, the quiet NaN.
    s.echo_delay_s = std::bit_cast<float>(0x7FC01234u), s.echo_feedback = std::bit_cast<float>(0xFF800000u);
    s.pitch_octaves = -0.0f, s.phaser_low_hz = std::bit_cast<float>(0x00000001u), s.phaser_high_hz = 0.1f;
    s.phaser_rate = std::bit_cast<float>(0x7FC00000u);
    std::memset(s.chain_order + 200, 0, 55);  // a chain that ends before the last byte
    spit(at("random.bin"), bytes_of(s));
    // A code page 936 name with nothing after its terminator comes out as text.
    std::memset(s.eq_preset_name, 0, sizeof s.eq_preset_name);
    std::memcpy(s.eq_preset_name, "\xc4\xe3\xba\xc3 EQ", 7);  // "你好 EQ"
    spit(at("named.bin"), bytes_of(s));

    for (const std::string name : {"random", "named"}) {
        const Outcome dump = vemomix({"settings", "dump", at(name + ".bin")});
        ASSERT_EQ(dump.status, 0) << dump.err;
        spit(at(name + ".json"), dump.out);
        // Random values lie outside the parameter ranges: --force writes them as they are.
        const Outcome build = vemomix({"settings", "build", at(name + ".json"), at("back.bin"), "--force"});
        ASSERT_EQ(build.status, 0) << build.err;
        const std::string before = file_bytes(at(name + ".bin")), after = file_bytes(at("back.bin"));
        ASSERT_EQ(after.size(), sizeof(EffectSettings));
        for (size_t i = 0; i < after.size(); ++i)
            EXPECT_EQ(after[i], reserved_byte(i) ? 0 : before[i]) << name << " byte " << i;
    }
    const auto j = nlohmann::json::parse(file_bytes(at("named.json")));
    for (const auto& [key, want] : {std::pair("eq_preset_name", "你好 EQ"), {"echo_delay_s", "0x7FC01234"},
                                    {"echo_feedback", "-inf"}, {"phaser_rate", "nan"}})
        EXPECT_EQ(j[key], want) << key;
    EXPECT_EQ(j["phaser_high_hz"].get<double>(), 0.1);  // the float's shortest spelling
    EXPECT_EQ(j["chain_order"].size(), 200u);
}

// Dump's keys are the header's field names, in record order, without the reserved gaps; build takes the
// fields it is not given from the library after vemomix_init(44100, 2, 0).
TEST_F(Cli, BuildFillsInTheLibraryDefaultsAndDumpNamesTheHeaderFields) {
    EffectSettings defaults{};
    vemomix_begin();
    vemomix_init(44100, 2, 0);
    vemomix_get(&defaults);
    vemomix_close();
    std::memset(defaults.eq_preset_name, 0, sizeof defaults.eq_preset_name);
    for (size_t i = 0; i < sizeof defaults; ++i)
        if (reserved_byte(i)) vemo::torture::bytes_of(defaults)[i] = 0;
    spit(at("empty.json"), "{}");
    ASSERT_EQ(vemomix({"settings", "build", at("empty.json"), at("empty.bin")}).status, 0);
    EXPECT_EQ(file_bytes(at("empty.bin")), bytes_of(defaults));

    spit(at("some.json"), R"({"comp_threshold_db": -30, "eq_band_level": [5, -5], "phaser_rate": 12.5,
                              "chain_order": [12, 7], "eq_preset_name": "Rock"})");
    const Outcome r = vemomix({"settings", "build", at("some.json"), at("some.bin")});
    ASSERT_EQ(r.status, 0) << r.err;
    EffectSettings want = defaults;
    want.comp_threshold_db = -30, want.eq_band_level[0] = 5, want.eq_band_level[1] = -5, want.phaser_rate = 12.5f;
    vemo::torture::set_chain(want, {12, 7});
    std::memcpy(want.eq_preset_name, "Rock", 4);
    EXPECT_EQ(file_bytes(at("some.bin")), bytes_of(want));

    std::vector<std::string> header_fields;
    std::istringstream header(file_bytes(VEMO_PUBLIC_HEADER));
    bool inside = false;
    for (std::string line; std::getline(header, line);) {
        if (line.find("typedef struct EffectSettings") != std::string::npos ||
            line.find("} EffectSettings;") != std::string::npos)
            inside = !inside;
        else if (inside && line.find("reserved") == std::string::npos) {
            const size_t end = line.find_first_of("[;"), start = line.find_last_of(' ', end) + 1;
            header_fields.push_back(line.substr(start, end - start));
        }
    }
    const Outcome dump = vemomix({"settings", "dump", at("empty.bin")});
    ASSERT_EQ(dump.status, 0) << dump.err;
    const auto j = nlohmann::ordered_json::parse(dump.out);
    std::vector<std::string> keys;
    for (const auto& [key, value] : j.items()) keys.push_back(key);
    EXPECT_EQ(keys.size(), 80u);
    EXPECT_EQ(keys, header_fields);
    EXPECT_EQ(j["chain_order"], nlohmann::ordered_json({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(j["eq_band_level"], nlohmann::ordered_json(std::vector<int>(31, 0)));
    EXPECT_EQ(std::tuple(j["eq_band_count"], j["eq_preset_name"], j["echo_delay_s"].get<double>(),
                         j["echo_feedback"].get<double>(), j["invert_enabled"]),
              std::tuple(10, "", 0.6, 0.5, 0));
}

// Every refusal names what is wrong in one line on stderr, fails, and writes nothing.
TEST_F(Cli, BadInputsAreRefusedWithoutOutput) {
    spit(at("text.wav"), "this is not audio\n");
    write_audio(at("32k.wav"), 32000, 2, test_samples(200));
    write_audio(at("three.wav"), 44100, 3, test_samples(300));
    write_audio(at("ok.wav"), 44100, 2, test_samples(200));
    spit(at("short.bin"), std::string(747, '\0'));
    spit(at("long.bin"), std::string(749, '\0'));
    spit(at("ok.bin"), std::string(748, '\0'));
    spit(at("ok.json"), "{}");
    spit(at("broken.json"), R"({"comp_threshold_db": -30,)");
    spit(at("unknown.json"), R"({"comp_treshold_db": -30})");
    spit(at("type.json"), R"({"comp_attack_ms": "fast"})");
    spit(at("range.json"), R"({"invert_enabled": 256})");
    spit(at("levels.json"), R"({"eq_band_level": [1, 2.5]})");
    const auto before = listing(work_.path());
    const std::string ok = at("ok.wav"), out = at("out.wav");
    struct Row {
        std::vector<std::string> args;
        std::vector<std::string> told;
        int lines = 1;
    };
    const Row rows[] = {
        {{"render", at("missing.wav"), out}, {"missing.wav"}},
        {{"render", at("text.wav"), out}, {"text.wav"}},
        {{"render", at("32k.wav"), out}, {"32k.wav", "32000"}},
        {{"render", at("three.wav"), out}, {"three.wav", "channel"}},
        {{"render", ok, at("no-such-dir/out.wav")}, {"no-such-dir/out.wav"}},  // nothing left half-written
        {{"render", ok, out, "--chain", "17"}, {"--chain"}},
        {{"render", ok, out, "--enable", "flanger"}, {"flanger"}},
        {{"render", ok, out, "--json", at("ok.json"), "--settings", at("ok.bin")}, {"--settings excludes --json"}},
        {{"render", ok, out, "--settings", at("short.bin")}, {"short.bin", "748"}},
        {{"render", ok, out, "--settings", at("long.bin")}, {"long.bin", "748"}},
        {{"settings", "dump", at("short.bin")}, {"short.bin"}},
        {{"settings", "dump", at("long.bin")}, {"long.bin"}},
        {{"settings", "dump", at("missing.bin")}, {"missing.bin"}},
        {{"render", ok, out, "--json", at("broken.json")}, {"broken.json", "malformed JSON"}},
        {{"settings", "build", at("broken.json"), at("out.bin")}, {"broken.json"}},
        {{"settings", "build", at("unknown.json"), at("out.bin")}, {"unknown.json", "comp_treshold_db"}},
        {{"settings", "build", at("type.json"), at("out.bin")}, {"type.json", "comp_attack_ms"}},
        {{"settings", "build", at("range.json"), at("out.bin")}, {"range.json", "invert_enabled"}},
        {{"settings", "build", at("levels.json"), at("out.bin")}, {"levels.json", "eq_band_level"}},
        {{"render", ok, out, "--json", at("unknown.json")}, {"comp_treshold_db"}},
        {{"render", ok, out, "--json", at("type.json")}, {"comp_attack_ms"}},
        {{"render", ok, out, "--json", at("range.json")}, {"invert_enabled"}},
        {{"render", ok, out, "--json", at("levels.json")}, {"eq_band_level"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.args));
        const Outcome r = vemomix(row.args);
        for (const std::string& t : row.told) expect_refused(r, t, before, row.lines);
    }
}

TEST_F(Cli, DemoWritesTheSameMusicEveryTime) {
    const Outcome r = vemomix({"demo"}, work_.path());
    ASSERT_EQ(r.status, 0) << r.err;
    const Audio a = read_audio(at("demo-out.wav"));
    EXPECT_EQ(std::tuple(a.rate, a.channels, a.samples.size()), std::tuple(44100, 2, 2u * 8 * 44100));
    for (const char* text : {"eq > compressor > chorus > echo > reverb", "demo-out.wav", "peak"})
        EXPECT_NE(r.out.find(text), std::string::npos) << r.out;
    const Picture strip = read_png(at("demo-strip.png"));
    EXPECT_EQ(std::tuple(strip.ok, strip.width, strip.height), std::tuple(true, 414, 42));

    // The strip goes beside the output wherever that is.
    fs::create_directory(at("sub"));
    const Outcome again = vemomix({"demo", "--out", at("sub/again.wav")});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(file_bytes(at("sub/again.wav")), file_bytes(at("demo-out.wav")));
    EXPECT_EQ(read_png(at("sub/demo-strip.png")).rgb, strip.rgb);
}

// The listing comes from the parameter table: ranges, units and defaults as the editor has them.
TEST_F(Cli, EffectsListsEachEffectsParameters) {
    const Outcome all = vemomix({"effects"});
    EXPECT_EQ(all.status, 0);
    EXPECT_NE(all.out.find("12  reverb      reverberation         7 parameters"), std::string::npos) << all.out;
    const Outcome reverb = vemomix({"effects", "reverb"});
    EXPECT_NE(reverb.out.find("reverb_wet_db        wet level          -80..0 dB, default -10"), std::string::npos)
        << reverb.out;
    EXPECT_NE(vemomix({"effects", "10"}).out.find("denoise_hold         hold               0..17640 samples"),
              std::string::npos);
    const Outcome unknown = vemomix({"effects", "flanger"});
    EXPECT_EQ(std::tuple(unknown.status, unknown.out), std::tuple(1, std::string()));
    EXPECT_NE(unknown.err.find("\"flanger\" is not an effect"), std::string::npos);
}

}  // namespace
