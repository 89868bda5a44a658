// vemomix presets: the equaliser preset file, with the page's checks and texts.
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

// The gains as export writes them: all 31 slots.
json all_slots(std::vector<int> gains) {
    gains.resize(31, 0);
    return gains;
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
    Outcome presets(std::vector<std::string> args) {
        args.insert(args.begin(), "presets");
        args.insert(args.end(), {"--file", file().string()});
        return vemomix(args);
    }
    Outcome import(const json& j, const std::string& name = "in.json") {
        spit(at(name), j.dump());
        return presets({"import", at(name)});
    }
};

TEST_F(Presets, ListShowsTheBuiltInsThenTheUserPresets) {
    ASSERT_EQ(import(preset_json("低音31", 31, std::vector<int>(31, -3))).status, 0);
    ASSERT_EQ(import(preset_json("Mine", 10, {1, 2, 3})).status, 0);
    // A name from the file that is not code page 936 text is shown by its bytes.
    std::string bytes = file_bytes(file());
    bytes.append(196, '\0');
    std::memcpy(&bytes[2 * 196], "\xFF\x01z", 3);
    bytes[2 * 196 + 64] = 25;
    spit(file(), bytes);

    const Outcome r = presets({"list"});
    ASSERT_EQ(r.status, 0) << r.err;
    // Listed, with a warning: no page writes such a name.
    EXPECT_NE(r.err.find("warning: " + file().string() + ": not a preset file, or damaged: 1 of its 3 records is "
                         "not a preset (record 3 has a name that is not clean text)"),
              std::string::npos)
        << r.err;
    std::vector<std::string> lines;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 1u + 11 + 3) << r.out;
    EXPECT_NE(lines[0].find("3 user presets"), std::string::npos) << lines[0];
    const char* const builtins[] = {"10频段缺省模式", "15频段缺省模式", "25频段缺省模式", "31频段缺省模式",
                                    "Normal自然模式", "Rock摇滚模式",   "POP流行模式",    "重金属模式",
                                    "超低音模式",     "重金属超低音模式", "SoftRock柔和模式"};
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(lines[1 + i].rfind(builtins[i], 0), 0u) << lines[1 + i];
        EXPECT_NE(lines[1 + i].find("built-in"), std::string::npos) << lines[1 + i];
    }
    std::string minus_three;
    for (int b = 0; b < 31; ++b) minus_three += " -3";
    // Each row: the line, how it starts, and what it holds.
    const std::tuple<int, std::string, std::string> rows[] = {
        {6, "Rock摇滚模式", "10 bands  built-in  8 6 -6 8 -2 4 8 10 10 10"},
        {8, "重金属模式", "10 bands  built-in  -10 -10 -10 -4 -4 12 16 16 16 16"},
        {12, "低音31 ", "31 bands  user     " + minus_three},
        {13, "Mine", "user      1 2 3 0 0 0 0 0 0 0"},
        {14, "\\xFF\\x01z ", "25 bands  user"}};
    for (const auto& [line, start, holds] : rows) {
        EXPECT_EQ(lines[line].rfind(start, 0), 0u) << lines[line];
        EXPECT_NE(lines[line].find(holds), std::string::npos) << lines[line];
    }
}

TEST_F(Presets, ImportExportAndDeleteKeepTheRecordsInOrder) {
    std::vector<int> gains(31, 0);
    for (int b = 0; b < 15; ++b) gains[b] = b - 7;
    gains[20] = 99;  // slots past the band count are kept as they are
    const json want = preset_json("我的摇滚", 15, gains);
    ASSERT_EQ(import(want).status, 0);
    Outcome r = presets({"export", "我的摇滚", at("out.json")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(json::parse(file_bytes(at("out.json"))), want);
    // Stored as one user record with the name in code page 936.
    auto recs = records_in(file());
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_STREQ(recs[0].name, "\xCE\xD2\xB5\xC4\xD2\xA1\xB9\xF6");
    EXPECT_EQ(std::tuple(recs[0].band_count, recs[0].gains[0], recs[0].gains[20], recs[0].builtin),
              std::tuple(15, -7, 99, 0));

    // A built-in preset exports too, all 31 slots; fewer gains on import leave the rest at 0.
    r = presets({"export", "Rock摇滚模式", at("rock.json")});
    ASSERT_EQ(r.status, 0) << r.err;
    const json rock = preset_json("Rock摇滚模式", 10, all_slots({8, 6, -6, 8, -2, 4, 8, 10, 10, 10}));
    EXPECT_EQ(json::parse(file_bytes(at("rock.json"))), rock);
    ASSERT_EQ(import(preset_json("short", 10, {5, 4})).status, 0);
    ASSERT_EQ(presets({"export", "short", at("short.json")}).status, 0);
    EXPECT_EQ(json::parse(file_bytes(at("short.json")))["gains"], all_slots({5, 4}));

    // A deletion keeps the others in order, and what was deleted can be imported again, at the end.
    ASSERT_EQ(import(preset_json("二", 10, {1})).status, 0);
    ASSERT_EQ(presets({"delete", "我的摇滚"}).status, 0);
    ASSERT_EQ(import(preset_json("我的摇滚", 25)).status, 0);
    recs = records_in(file());
    ASSERT_EQ(recs.size(), 3u);
    EXPECT_EQ(std::tuple(std::string(recs[0].name), std::string(recs[1].name), std::string(recs[2].name),
                         recs[2].band_count),
              std::tuple("short", "\xB6\xFE", "\xCE\xD2\xB5\xC4\xD2\xA1\xB9\xF6", 25));
}

TEST_F(Presets, RefusalsUseThePageTextsAndLeaveTheFile) {
    ASSERT_EQ(import(preset_json("Mine", 25)).status, 0);
    const std::string before = file_bytes(file());
    spit(at("no-gains.json"), R"({"name": "X", "band_count": 10, "gain": [1]})");
    spit(at("fraction.json"), R"({"name": "X", "band_count": 10, "gains": [1, 2.5]})");
    spit(at("huge.json"), R"({"name": "X", "band_count": 10, "gains": [1, 4294967296]})");
    spit(at("32.json"), preset_json("X", 10, std::vector<int>(32, 0)).dump());
    const std::pair<Outcome, std::string> rows[] = {
        {import(preset_json("31频段缺省模式", 10)), "输入音效模式名称已存在"},  // an existing name, any band count
        {import(preset_json("Mine", 10)), "输入音效模式名称已存在"},
        {import(preset_json("", 10)), "必须输入音效模式名称"},
        {import(preset_json("Mine2", 12)), "频段数只能是10、15、25或31"},
        {import(preset_json(std::string(64, 'n'), 10)), "音效模式名称太长"},
        {import(preset_json("emoji \xF0\x9F\x8E\xB5", 10)), "音效模式名称含有无法保存的字符"},
        {presets({"delete", "Rock摇滚模式"}), "内置音效，无法删除"},
        {presets({"delete", "Nobody"}), "音效模式不存在"},
        {presets({"export", "Nobody", at("x.json")}), "音效模式不存在"},
        // JSON that is not a preset names what is wrong with it.
        {presets({"import", at("no-gains.json")}), "gain"},
        {presets({"import", at("fraction.json")}), "gains[1]"},
        {presets({"import", at("huge.json")}), "gains[1]"},
        {presets({"import", at("32.json")}), "at most 31"}};
    for (const auto& [r, text] : rows) {
        EXPECT_NE(r.status, 0) << text;
        EXPECT_NE(r.err.find(text), std::string::npos) << r.err;
    }
    EXPECT_EQ(file_bytes(file()), before);
    EXPECT_FALSE(fs::exists(at("x.json")));
}

// A file that is not whole preset records, or holds records no page wrote, is never rewritten; listing
// it warns.
TEST_F(Presets, FilesThatAreNotPresetFilesAreLeftAlone) {
    ASSERT_EQ(import(preset_json("Good", 10)).status, 0);
    const std::string good = file_bytes(file());
    std::string random(5000, '\0');
    for (uint32_t i = 0, x = 99; i < random.size(); ++i) random[i] = static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
    std::string bad_bands = good;
    bad_bands[64] = 12;  // band count 12
    std::string no_terminator = good;
    std::memset(&no_terminator[0], 'a', 64);
    const std::pair<std::string, std::string> files[] = {
        {"notes\nsome text\n", "its size, 16 bytes, is not a whole number of 196-byte preset records"},
        {random, "its size, 5000 bytes"},
        {good + bad_bands, "1 of its 2 records is not a preset (record 2 has 12 bands, not 10, 15, 25 or 31)"},
        {no_terminator, "record 1 has a name that is not clean text"},
        {good + std::string(196, '\0'), "record 2 has 0 bands"},
    };
    spit(at("in.json"), preset_json("New", 10).dump());
    for (const auto& [bytes, told] : files) {
        SCOPED_TRACE(told);
        spit(file(), bytes);
        for (const Outcome& r : {presets({"import", at("in.json")}), presets({"delete", "Good"})}) {
            EXPECT_EQ(r.status, 1);
            EXPECT_NE(r.err.find(told), std::string::npos) << r.err;
            EXPECT_NE(r.err.find("; it is left as it is"), std::string::npos) << r.err;
        }
        EXPECT_EQ(file_bytes(file()), bytes);
        const Outcome list = presets({"list"});
        EXPECT_EQ(list.status, 0);
        EXPECT_NE(list.err.find("vemomix: warning: "), std::string::npos);
        EXPECT_NE(list.err.find(told), std::string::npos) << list.err;
    }
    spit(file(), good);
    EXPECT_EQ(presets({"list"}).err, "");
}

// No directory to write into, or a directory where the file should be: the file is named, nothing is
// made.  (That a failed write leaves the old file whole is checked where preset_file_save is tested.)
TEST_F(Presets, FailedWriteIsReported) {
    spit(at("in.json"), preset_json("New", 10).dump());
    const Outcome r = vemomix({"presets", "import", at("in.json"), "--file", at("no-dir/vemoeqset.eq")});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("no-dir/vemoeqset.eq: cannot write: "), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(at("no-dir")));
    fs::create_directory(at("a-dir"));
    EXPECT_NE(vemomix({"presets", "import", at("in.json"), "--file", at("a-dir")}).status, 0);
    EXPECT_TRUE(fs::is_directory(at("a-dir")));
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
