// vemomix presets: the equaliser preset file, with the page's checks and texts.  The texts of the name
// checks themselves are fixed with the preset table; here each way into them is run once.
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
    // A name from the file that is not code page 936 text is shown by its bytes, with a warning: no page
    // writes such a name.
    std::string bytes = file_bytes(file());
    bytes.append(196, '\0');
    std::memcpy(&bytes[2 * 196], "\xFF\x01z", 3);
    bytes[2 * 196 + 64] = 25;
    spit(file(), bytes);
    const Outcome r = presets("list");
    EXPECT_EQ(std::tuple(r.status, r.err),
              std::tuple(0, "vemomix: warning: vemoeqset.eq: not a preset file, or damaged: 1 of its 3 records is not "
                            "a preset (record 3 has a name that is not clean text); what it holds is listed as the "
                            "library would load it\n"));
    EXPECT_EQ(r.out, "vemoeqset.eq: 3 user presets\n"
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
                     "Mine              10 bands  user      1 2 3 0 0 0 0 0 0 0\n"
                     "\\xFF\\x01z               25 bands  user     " + levels(25) + "\n");
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
    EXPECT_STREQ(recs[0].name, "\xCE\xD2\xB5\xC4\xD2\xA1\xB9\xF6");
    EXPECT_EQ(std::tuple(recs[0].band_count, recs[0].gains[0], recs[0].gains[20], recs[0].builtin),
              std::tuple(15, -7, 99, 0));

    // A built-in preset exports too, all 31 slots; fewer gains on import leave the rest at 0.
    ASSERT_EQ(presets("export Rock摇滚模式 rock.json").status, 0);
    std::vector<int> rock = {8, 6, -6, 8, -2, 4, 8, 10, 10, 10}, short_gains = {5, 4};
    rock.resize(31), short_gains.resize(31);
    EXPECT_EQ(json::parse(file_bytes(at("rock.json"))), preset_json("Rock摇滚模式", 10, rock));
    ASSERT_EQ(import(preset_json("short", 10, {5, 4})).status, 0);
    ASSERT_EQ(presets("export short short.json").status, 0);
    EXPECT_EQ(json::parse(file_bytes(at("short.json")))["gains"], short_gains);

    // A deletion keeps the others in order, and what was deleted can be imported again, at the end.
    ASSERT_EQ(import(preset_json("二", 10, {1})).status, 0);
    ASSERT_EQ(presets("delete 我的摇滚").status, 0);
    ASSERT_EQ(import(preset_json("我的摇滚", 25)).status, 0);
    recs = records_in(file());
    ASSERT_EQ(recs.size(), 3u);
    EXPECT_EQ(std::tuple(std::string(recs[0].name), std::string(recs[1].name), std::string(recs[2].name),
                         recs[2].band_count),
              std::tuple("short", "\xB6\xFE", "\xCE\xD2\xB5\xC4\xD2\xA1\xB9\xF6", 25));
}

// Refusals quote the page's text with its meaning, and leave the file (and the directory) as they were.
TEST_F(Presets, RefusalsUseThePageTextsAndLeaveTheFile) {
    ASSERT_EQ(import(preset_json("Mine", 25)).status, 0);
    const std::string before = file_bytes(file());
    spit(at("exists.json"), preset_json("31频段缺省模式", 10).dump());  // an existing name, any band count
    spit(at("12.json"), preset_json("X", 12).dump());
    spit(at("no-gains.json"), R"({"name": "X", "band_count": 10, "gain": [1]})");
    spit(at("fraction.json"), R"({"name": "X", "band_count": 10, "gains": [1, 2.5]})");
    spit(at("huge.json"), R"({"name": "X", "band_count": 10, "gains": [1, 4294967296]})");
    spit(at("32.json"), preset_json("X", 10, std::vector<int>(32, 0)).dump());
    spit(at("new.json"), preset_json("New", 10).dump());
    fs::create_directory(at("a-dir"));
    const std::string f = " --file vemoeqset.eq";
    expect_refusals({
        {"presets import exists.json" + f, 1, "preset \"31频段缺省模式\": \"输入音效模式名称已存在\" (a preset of that name exists)"},
        {"presets import 12.json" + f, 1, "preset \"X\": \"频段数只能是10、15、25或31\" (band counts are 10, 15, 25 or 31)"},
        {"presets delete Rock摇滚模式" + f, 1, "preset \"Rock摇滚模式\": \"内置音效，无法删除\" (built-in presets cannot be deleted)"},
        {"presets delete Nobody" + f, 1, "preset \"Nobody\": \"音效模式不存在\" (no preset has that name)"},
        // JSON that is not a preset names what is wrong with it.
        {"presets import no-gains.json" + f, 1, "no-gains.json: unknown field gain"},
        {"presets import fraction.json" + f, 1, "fraction.json: gains[1] must be a 32-bit integer"},
        {"presets import huge.json" + f, 1, "huge.json: gains[1] must be a 32-bit integer"},
        {"presets import 32.json" + f, 1, "32.json: gains must be an array of at most 31 levels"},
        // No directory to write into, or a directory where the file should be: nothing is made.  (That a
        // failed write leaves the old file whole is checked where preset_file_save is tested.)
        {"presets import new.json --file no-dir/vemoeqset.eq", 1,
         "no-dir/vemoeqset.eq: cannot write: *; the old file is left as it was"},
        {"presets import new.json --file a-dir", 1, "a-dir: not a regular file"},
    });
    EXPECT_EQ(file_bytes(file()), before);
}

// A file that is not whole preset records, or holds records no page wrote, is never rewritten; listing
// it warns.
TEST_F(Presets, FilesThatAreNotPresetFilesAreLeftAlone) {
    ASSERT_EQ(import(preset_json("Good", 10)).status, 0);
    const std::string good = file_bytes(file());
    std::string bad_bands = good;
    bad_bands[64] = 12;  // band count 12
    std::string no_terminator = good;
    std::memset(&no_terminator[0], 'a', 64);
    const std::pair<std::string, std::string> files[] = {
        {"notes\nsome text\n", "its size, 16 bytes, is not a whole number of 196-byte preset records"},
        {good + bad_bands, "1 of its 2 records is not a preset (record 2 has 12 bands, not 10, 15, 25 or 31)"},
        {no_terminator, "1 of its 1 records is not a preset (record 1 has a name that is not clean text)"},
        {good + std::string(196, '\0'), "1 of its 2 records is not a preset (record 2 has 0 bands, not 10, 15, 25 or 31)"},
    };
    spit(at("in.json"), preset_json("New", 10).dump());
    for (const auto& [bytes, told] : files) {
        SCOPED_TRACE(told);
        spit(file(), bytes);
        const std::string damaged = "vemomix: vemoeqset.eq: not a preset file, or damaged: " + told;
        for (const Outcome& r : {presets("import in.json"), presets("delete Good")})
            EXPECT_EQ(std::tuple(r.status, r.err), std::tuple(1, damaged + "; it is left as it is\n"));
        EXPECT_EQ(file_bytes(file()), bytes);
        const Outcome list = presets("list");
        EXPECT_EQ(std::tuple(list.status, list.err), std::tuple(0, "vemomix: warning: " + damaged.substr(9) +
                                                                       "; what it holds is listed as the library would load it\n"));
    }
    spit(file(), good);
    EXPECT_EQ(presets("list").err, "");
}

TEST_F(Presets, DefaultFileIsBesideVemomixHoweverItWasFound) {
    fs::create_directory(at("bin"));
    fs::copy_file(VEMOMIX_BIN, at("bin/vemomix"));
    fs::permissions(at("bin/vemomix"), fs::perms::owner_all);
    program = "PATH='" + at("bin").string() + "':\"$PATH\" vemomix";  // found in PATH, started by its bare name
    spit(at("in.json"), preset_json("Beside", 31).dump());
    const Outcome r = vemomix({"presets", "import", at("in.json")}, capture_.path());
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(records_in(at("bin/vemoeqset.eq")).size(), 1u);
    EXPECT_FALSE(fs::exists(capture_.path() / "vemoeqset.eq"));
    EXPECT_NE(vemomix({"presets", "list"}).out.find("Beside"), std::string::npos);
}

}  // namespace
