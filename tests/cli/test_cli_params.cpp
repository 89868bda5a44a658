// Settings records as JSON (settings dump, build, defaults) and parameters on the command line (--set,
// --preset, --force).  The refusals of out-of-range values are in test_cli.cpp's table.
#include <bit>
#include <cstring>
#include <nlohmann/json.hpp>

#include "../torture/torture.h"
#include "cli_support.h"
#include "vemosoundmix.h"

namespace {

using namespace vemomix_test;
using vemo::torture::reserved_byte;
using Params = Cli;

std::string record_bytes(const EffectSettings& s) { return std::string(reinterpret_cast<const char*>(&s), sizeof s); }

// A record with arbitrary bytes everywhere, the awkward float values included, survives dump and build.
TEST_F(Params, DumpThenBuildGivesBackEveryDefinedByte) {
    EffectSettings s;
    uint32_t x = 7;
    for (size_t i = 0; i < sizeof s; ++i)
        vemo::torture::bytes_of(s)[i] = static_cast<uint8_t>((x = x * 1664525u + 1013904223u) >> 24);
    // A NaN with a payload, -inf, -0, the smallest subnormal, a float with no short decimal, the quiet NaN.
    s.echo_delay_s = std::bit_cast<float>(0x7FC01234u), s.echo_feedback = std::bit_cast<float>(0xFF800000u);
    s.pitch_octaves = -0.0f, s.phaser_low_hz = std::bit_cast<float>(0x00000001u), s.phaser_high_hz = 0.1f;
    s.phaser_rate = std::bit_cast<float>(0x7FC00000u);
    std::memset(s.chain_order + 200, 0, 55);  // a chain that ends before the last byte
    spit(at("random.bin"), record_bytes(s));
    // A code page 936 name with nothing after its terminator comes out as text.
    std::memset(s.eq_preset_name, 0, sizeof s.eq_preset_name);
    std::memcpy(s.eq_preset_name, "\xc4\xe3\xba\xc3 EQ", 7);  // "你好 EQ"
    spit(at("named.bin"), record_bytes(s));

    for (const std::string name : {"random", "named"}) {
        const Outcome dump = run("settings dump " + name + ".bin");
        ASSERT_EQ(dump.status, 0) << dump.err;
        spit(at(name + ".json"), dump.out);
        // Random values lie outside the parameter ranges: --force writes them as they are.
        const Outcome build = run("settings build " + name + ".json back.bin --force");
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

// `settings defaults` writes the record the library has after vemomix_init(44100, 2, 0), every field
// named; build takes the fields it is not given from that record; dump's keys are the header's field
// names in record order, without the reserved gaps.
TEST_F(Params, DefaultsBuildAndDumpAgreeWithTheLibraryAndTheHeader) {
    EffectSettings defaults{};
    vemomix_begin();
    vemomix_init(44100, 2, 0);
    vemomix_get(&defaults);
    vemomix_close();
    std::memset(defaults.eq_preset_name, 0, sizeof defaults.eq_preset_name);
    for (size_t i = 0; i < sizeof defaults; ++i)
        if (reserved_byte(i)) vemo::torture::bytes_of(defaults)[i] = 0;
    spit(at("empty.json"), "{}");
    spit(at("some.json"), R"({"comp_threshold_db": -30, "eq_band_level": [5, -5], "phaser_rate": 12.5,
                              "chain_order": [12, 7], "eq_preset_name": "Rock"})");
    for (const char* line : {"settings defaults d.json", "settings build d.json d.bin",
                             "settings build empty.json empty.bin", "settings build some.json some.bin"})
        ASSERT_EQ(run(line).status, 0) << line;
    EXPECT_EQ(file_bytes(at("empty.bin")), record_bytes(defaults));
    EXPECT_EQ(file_bytes(at("d.bin")), record_bytes(defaults));
    EffectSettings want = defaults;
    want.comp_threshold_db = -30, want.eq_band_level[0] = 5, want.eq_band_level[1] = -5, want.phaser_rate = 12.5f;
    vemo::torture::set_chain(want, {12, 7});
    std::memcpy(want.eq_preset_name, "Rock", 4);
    EXPECT_EQ(file_bytes(at("some.bin")), record_bytes(want));

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
    const Outcome dump = run("settings dump empty.bin");
    ASSERT_EQ(dump.status, 0) << dump.err;
    const auto j = nlohmann::ordered_json::parse(dump.out);
    EXPECT_EQ(j, nlohmann::ordered_json::parse(file_bytes(at("d.json"))));
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

TEST_F(Params, SetPresetAndForceChangeWhatIsRendered) {
    write_audio(at("in.wav"), 44100, 2, test_samples(2 * 6000));
    const auto render = [&](const std::string& options) {
        const Outcome r = run("render in.wav out.wav " + options);
        EXPECT_EQ(r.status, 0) << options << "\n" << r.err;
        return read_audio(at("out.wav")).samples;
    };
    // A built-in preset is its bands and levels with the equaliser on (name and built-in flag change
    // nothing audible); a single band by index.
    const auto rock = render("--preset Rock摇滚模式");
    EXPECT_EQ(rock, render("--set eq_enabled=1 --set eq_band_count=10 --set eq_band_level=8, 6, -6, 8, -2, 4, 8, 10, 10, 10"));
    EXPECT_NE(rock, read_audio(at("in.wav")).samples);
    EXPECT_NE(rock, render("--preset Rock摇滚模式 --set eq_band_level[9]=-20"));
    // A user preset from the file named.
    spit(at("p.json"), R"({"name": "Mine", "band_count": 10, "gains": [8, 6, -6, 8, -2, 4, 8, 10, 10, 10]})");
    ASSERT_EQ(run("presets import p.json --file my.eq").status, 0);
    EXPECT_EQ(render("--preset Mine --preset-file my.eq"), rock);
    const Outcome missing = run("render in.wav out.wav --preset Nobody --preset-file my.eq");
    EXPECT_EQ(std::tuple(missing.status, missing.err),
              std::tuple(1, "vemomix: preset \"Nobody\": \"音效模式不存在\" (no preset has that name)\n"));

    // --force applies a value outside its range as given, without a word.
    spit(at("far.json"), R"({"echo_enabled": 1, "echo_delay_s": 1e9})");
    const Outcome forced = run("render in.wav out.wav --json far.json --force");
    EXPECT_EQ(std::tuple(forced.status, forced.err), std::tuple(0, ""));
}

}  // namespace
