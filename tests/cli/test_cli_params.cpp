// Parameters on the command line: --set, --preset, the ranges of the parameter table, and the defaults.
#include <cstring>
#include <nlohmann/json.hpp>

#include "cli_support.h"
#include "vemosoundmix.h"

namespace {

using namespace vemomix_test;
using Params = Cli;

TEST_F(Params, SetAndPresetChangeWhatIsRendered) {
    write_audio(at("in.wav"), 44100, 2, test_samples(2 * 6000));
    const auto render = [&](const std::string& out, std::vector<std::string> options) {
        std::vector<std::string> args = {"render", at("in.wav"), at(out)};
        args.insert(args.end(), options.begin(), options.end());
        const Outcome r = vemomix(args);
        EXPECT_EQ(r.status, 0) << r.err;
        return read_audio(at(out)).samples;
    };
    // A switch by --set, as --enable would.
    EXPECT_EQ(render("a.wav", {"--set", "invert_enabled=1"}), render("b.wav", {"--enable", "invert"}));
    // A built-in preset is its bands and levels with the equaliser on (name and built-in flag change
    // nothing audible); a single band by index.
    const auto rock = render("rock.wav", {"--preset", "Rock摇滚模式"});
    EXPECT_EQ(rock, render("set.wav", {"--set", "eq_enabled=1", "--set", "eq_band_count=10", "--set",
                                       "eq_band_level=8, 6, -6, 8, -2, 4, 8, 10, 10, 10"}));
    EXPECT_NE(rock, read_audio(at("in.wav")).samples);
    EXPECT_NE(rock, render("index.wav", {"--preset", "Rock摇滚模式", "--set", "eq_band_level[9]=-20"}));
    // A user preset from the file named.
    spit(at("p.json"), R"({"name": "Mine", "band_count": 10, "gains": [8, 6, -6, 8, -2, 4, 8, 10, 10, 10]})");
    ASSERT_EQ(vemomix({"presets", "import", at("p.json"), "--file", at("my.eq")}).status, 0);
    EXPECT_EQ(render("mine.wav", {"--preset", "Mine", "--preset-file", at("my.eq")}), rock);
}

// Values outside the table's range are refused, naming field, value and range; --force applies them.
TEST_F(Params, OutOfRangeValuesAreRefusedUnlessForced) {
    write_audio(at("in.wav"), 22050, 1, test_samples(3000));
    spit(at("far.json"), R"({"echo_enabled": 1, "echo_delay_s": 1e9})");
    spit(at("band.json"), R"({"eq_band_level": [0, 999]})");
    const std::string in = at("in.wav"), out = at("out.wav");
    const auto before = listing(work_.path());
    struct Row {
        std::vector<std::string> args;
        int status;
        std::string told;
    };
    const Row rows[] = {
        {{"render", in, out, "--set", "eq_band_level[3]=999"}, 2, "eq_band_level[3] 999 is outside its range, -20..20 dB"},
        {{"render", in, out, "--set", "echo_delay_s=1e9"}, 2, "echo_delay_s 1e+09 is outside its range, 0..1.6 s"},
        {{"render", in, out, "--set", "eq_band_count=12"}, 2, "10, 15, 25 or 31"},
        {{"render", in, out, "--set", "pitch_frame_size=1000"}, 2, "256..8192 samples, powers of two"},
        // A range that follows the format: 200 ms at 22050 Hz mono.
        {{"render", in, out, "--set", "denoise_hold=4411"}, 2, "0..4410 samples"},
        {{"render", in, out, "--set", "no_such=1"}, 2, "no_such"},
        {{"render", in, out, "--set", "echo_delay_s"}, 2, "FIELD=VALUE"},
        {{"render", in, out, "--json", at("far.json")}, 1, "far.json: echo_delay_s 1e+09"},
        {{"settings", "build", at("band.json"), at("out.bin")}, 1, "band.json: eq_band_level[1] 999"},
        {{"render", in, out, "--preset", "Nobody"}, 1, "音效模式不存在"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.args));
        const Outcome r = vemomix(row.args);
        EXPECT_EQ(r.status, row.status);
        expect_refused(r, row.told, before);
    }
    EXPECT_EQ(vemomix({"render", in, out, "--set", "denoise_hold=4410"}).status, 0);
    Outcome r = vemomix({"render", in, out, "--json", at("far.json"), "--force"});
    EXPECT_EQ(std::tuple(r.status, r.err), std::tuple(0, std::string())) << r.err;
    r = vemomix({"settings", "build", at("band.json"), at("band.bin"), "--force"});
    ASSERT_EQ(r.status, 0) << r.err;
    EffectSettings s;
    ASSERT_EQ(file_bytes(at("band.bin")).size(), sizeof s);
    std::memcpy(&s, file_bytes(at("band.bin")).data(), sizeof s);
    EXPECT_EQ(s.eq_band_level[1], 999);
}

TEST_F(Params, DefaultsWritesTheStartingRecord) {
    // Float fields are listed with a float's digits.
    const Outcome r = vemomix({"effects", "ECHO"});
    EXPECT_NE(r.out.find("echo_delay_s         delay              0..1.6 s, steps of 0.1, default 0.6\n"),
              std::string::npos)
        << r.out;

    // The defaults are the record `build` starts from, every field named.
    ASSERT_EQ(vemomix({"settings", "defaults", at("d.json")}).status, 0);
    spit(at("empty.json"), "{}");
    ASSERT_EQ(vemomix({"settings", "build", at("empty.json"), at("empty.bin")}).status, 0);
    const Outcome dump = vemomix({"settings", "dump", at("empty.bin")});
    EXPECT_EQ(nlohmann::json::parse(file_bytes(at("d.json"))), nlohmann::json::parse(dump.out));
    ASSERT_EQ(vemomix({"settings", "build", at("d.json"), at("d.bin")}).status, 0);
    EXPECT_EQ(file_bytes(at("d.bin")), file_bytes(at("empty.bin")));
}

}  // namespace
