// Settings records as JSON (settings defaults, build, dump).  --set and --preset are in test_cli.cpp's
// render table, the refusals of out-of-range values in its refusal table.
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

// `settings defaults` writes the record the library has after vemomix_init(44100, 2, 0); build takes the
// fields it is not given from that record; dump then build gives back every byte, awkward floats included.
TEST_F(Params, DefaultsBuildAndDumpAgreeWithTheLibrary) {
    vemomix_begin();
    vemomix_init(44100, 2, 0);
    EffectSettings defaults = vemo::torture::current_record();
    vemomix_close();
    std::memset(defaults.eq_preset_name, 0, sizeof defaults.eq_preset_name);
    for (size_t i = 0; i < sizeof defaults; ++i)
        if (reserved_byte(i)) vemo::torture::bytes_of(defaults)[i] = 0;
    spit(at("some.json"), R"({"comp_threshold_db": -30, "eq_band_level": [5, -5], "phaser_rate": 12.5,
                              "chain_order": [12, 7], "eq_preset_name": "Rock"})");
    for (const char* line : {"settings defaults d.json", "settings build d.json d.bin", "settings build some.json some.bin"})
        ASSERT_EQ(run(line).status, 0) << line;
    EXPECT_EQ(file_bytes(at("d.bin")), record_bytes(defaults));
    EffectSettings want = defaults;
    want.comp_threshold_db = -30, want.eq_band_level[0] = 5, want.eq_band_level[1] = -5, want.phaser_rate = 12.5f;
    vemo::torture::set_chain(want, {12, 7});
    std::memcpy(want.eq_preset_name, "Rock", 4);
    EXPECT_EQ(file_bytes(at("some.bin")), record_bytes(want));

    // A NaN with a payload, -inf, -0, the smallest subnormal, a float with no short decimal, a cp936 name.
    want.echo_delay_s = std::bit_cast<float>(0x7FC01234u), want.echo_feedback = std::bit_cast<float>(0xFF800000u);
    want.pitch_octaves = -0.0f, want.phaser_low_hz = std::bit_cast<float>(0x00000001u), want.phaser_high_hz = 0.1f;
    std::memcpy(want.eq_preset_name, "\xc4\xe3\xba\xc3 EQ", 7);  // "你好 EQ"
    spit(at("odd.bin"), record_bytes(want));
    const Outcome dump = run("settings dump odd.bin");
    ASSERT_EQ(dump.status, 0) << dump.err;
    spit(at("odd.json"), dump.out);
    // Values outside the parameter ranges: --force writes them as they are.
    ASSERT_EQ(run("settings build odd.json back.bin --force").status, 0);
    EXPECT_EQ(file_bytes(at("back.bin")), record_bytes(want));
    const auto j = nlohmann::ordered_json::parse(dump.out);
    EXPECT_EQ(j.size(), 80u);  // every field but the reserved gaps
    for (const auto& [key, value] : {std::pair("eq_preset_name", "你好 EQ"), {"echo_delay_s", "0x7FC01234"},
                                      {"echo_feedback", "-inf"}})
        EXPECT_EQ(j[key], value) << key;
    EXPECT_EQ(std::tuple(j["phaser_high_hz"].get<double>(), j["phaser_rate"].get<double>(), j["comp_threshold_db"],
                         j["chain_order"], j["eq_band_count"]),
              std::tuple(0.1, 12.5, -30, nlohmann::ordered_json({12, 7}), 10));
}

}  // namespace
