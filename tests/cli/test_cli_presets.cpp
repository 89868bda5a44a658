// vemomix presets: the equaliser preset file as the page keeps it.  Its refusals are in test_cli.cpp's table.
#include <cstring>
#include <nlohmann/json.hpp>

#include "cli_support.h"
#include "editor/presets.h"

namespace {

using namespace vemomix_test;
using nlohmann::json;

json preset_json(const std::string& name, int bands, std::vector<int> gains = {}) {
    return json{{"name", name}, {"band_count", bands}, {"gains", gains}};
}

// n levels of v, each after a space, as list prints them.
std::string levels(int n, int v = 0) {
    std::string s;
    for (int b = 0; b < n; ++b) s.append(" ").append(std::to_string(v));
    return s;
}

std::vector<vemo::PresetRecord> records_in(const fs::path& p) {
    const std::string bytes = file_bytes(p);
    std::vector<vemo::PresetRecord> out(bytes.size() / sizeof(vemo::PresetRecord));
    std::memcpy(out.data(), bytes.data(), out.size() * sizeof(vemo::PresetRecord));
    return out;
}

class Presets : public Cli {
protected:
    fs::path file() const { return at("vemoeqset.eq"); }
    Outcome presets(const std::string& line) { return run("presets " + line + " --file vemoeqset.eq"); }
    Outcome import(const json& j) {
        spit(at("in.json"), j.dump());
        return presets("import in.json");
    }
};

TEST_F(Presets, ListShowsTheBuiltInsThenTheUserPresets) {
    ASSERT_EQ(import(preset_json("低音31", 31, std::vector<int>(31, -3))).status, 0);
    ASSERT_EQ(import(preset_json("Mine", 10, {1, 2, 3})).status, 0);
    const Outcome r = presets("list");
    EXPECT_EQ(std::tuple(r.status, r.err), std::tuple(0, ""));
    EXPECT_EQ(r.out, "vemoeqset.eq: 2 user presets\n"
                     "10频段缺省模式    10 bands  built-in " + levels(10) + "\n"
                     "15频段缺省模式    15 bands  built-in " + levels(15) + "\n"
                     "25频段缺省模式    25 bands  built-in " + levels(25) + "\n"
                     "31频段缺省模式    31 bands  built-in " + levels(31) + "\n"
                     "Normal自然模式    10 bands  built-in  0 8 8 8 8 6 6 2 2 4\n"
                     "Rock摇滚模式      10 bands  built-in  8 6 -6 8 -2 4 8 10 10 10\n"
                     "POP流行模式       10 bands  built-in  -2 4 6 8 6 -2 -4 -2 -2 -2\n"
                     "重金属模式        10 bands  built-in  -10 -10 -10 -4 -4 12 16 16 16 16\n"
                     "超低音模式        10 bands  built-in  10 10 10 6 4 0 -6 -10 -10 -10\n"
                     "重金属超低音模式  10 bands  built-in  8 8 0 -8 -6 0 8 12 14 14\n"
                     "SoftRock柔和模式  10 bands  built-in  4 4 0 -2 -4 -6 -4 0 4 10\n"
                     "低音31            31 bands  user     " + levels(31, -3) + "\n"
                     "Mine              10 bands  user      1 2 3 0 0 0 0 0 0 0\n");
}

TEST_F(Presets, ImportExportAndDeleteKeepTheRecordsInOrder) {
    std::vector<int> gains(31, 0);
    for (int b = 0; b < 15; ++b) gains[b] = b - 7;
    gains[20] = 99;  // slots past the band count are kept as they are
    const json want = preset_json("我的摇滚", 15, gains);
    ASSERT_EQ(import(want).status, 0);
    ASSERT_EQ(presets("export 我的摇滚 out.json").status, 0);
    EXPECT_EQ(json::parse(file_bytes(at("out.json"))), want);
    // Stored as one user record with the name in code page 936.
    auto recs = records_in(file());
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(std::tuple(std::string(recs[0].name), recs[0].band_count, recs[0].gains[0], recs[0].gains[20], recs[0].builtin),
              std::tuple("\xCE\xD2\xB5\xC4\xD2\xA1\xB9\xF6", 15, -7, 99, 0));

    // A deletion keeps the others in order, and what was deleted can be imported again, at the end.
    ASSERT_EQ(import(preset_json("二", 10, {1})).status, 0);
    ASSERT_EQ(presets("delete 我的摇滚").status, 0);
    ASSERT_EQ(import(preset_json("我的摇滚", 25)).status, 0);
    recs = records_in(file());
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_EQ(std::tuple(std::string(recs[0].name), recs[0].gains[0], std::string(recs[1].name), recs[1].band_count),
              std::tuple("\xB6\xFE", 1, "\xCE\xD2\xB5\xC4\xD2\xA1\xB9\xF6", 25));
}

}  // namespace
