// Writers that race or die, as real processes.  One preset file, many writers at once: three shell loops
// of vemomix imports and deletes (one command in three killed with SIGKILL at a random point, through
// timeout) and the headless editor saving beside them.  Afterwards every preset is counted: what a writer
// was told is done is there, what it was refused is not, nothing is there twice, and no temporary or lock
// outlives a later run.  Renders that die leave nothing either.
#include <unistd.h>

#include <array>
#include <map>
#include <sstream>

#include "../unit/test_support.h"
#include "cli_support.h"
#include "editor/preset_file.h"

namespace {

using namespace vemomix_test;

constexpr int kWriters = 3, kRounds = 12, kShared = kRounds / 2;
constexpr int kEditorGain = -8;  // every band of the editor's saves; writer w imports gain w

// Writer w, round k: imports "w<w>-<k>", on even rounds "shared-<k/2>" (which every writer and the editor
// save), and deletes "old<w>-<k>".  Its log gets "NAME w STATUS" for each command (137 or 124: killed).
std::string writer_script(int w) {
    const std::string n = std::to_string(w);
    return "exec 2>/dev/null; for k in $(seq 0 " + std::to_string(kRounds - 1) +
           "); do for name in w" + n + "-$k $( [ $((k % 2)) = 0 ] && echo shared-$((k / 2)) ) -old" + n +
           "-$k; do t=; [ $((RANDOM % 3)) = 0 ] && t=\"timeout --foreground -s KILL 0.00$((RANDOM % 9 + 1))\"; "
           "case $name in -*) $t '" VEMOMIX_BIN "' presets delete ${name#-} --file vemoeqset.eq;; *) "
           "printf '{\"name\":\"%s\",\"band_count\":10,\"gains\":[" + n + "]}' $name > in" + n + ".json; $t '" VEMOMIX_BIN
           "' presets import in" + n + ".json --file vemoeqset.eq;; esac; echo \"${name#-} " + n + " $?\" >> log; done; done";
}

// The editor saves "ed-<k>" and "shared-<k>", logging "NAME editor ok" or the first message it showed.
void editor_saves(const fs::path& dir) {
    vemo::test::headless().library_dir_override = dir.string();
    vemo::test::start_library();
    for (int slot = 0; slot < 31; ++slot) vemo::editor().eq.on_band_slider(slot, 35);
    std::ofstream log(dir / "log-editor");
    for (int k = 0; k < kShared; ++k)
        for (const std::string& name : {"ed-" + std::to_string(k), "shared-" + std::to_string(k)}) {
            vemo::test::headless().messages.clear();
            vemo::test::headless().typed_names = {name};
            vemo::editor().eq.on_save();
            const auto& m = vemo::test::headless().messages;
            log << name << " editor " << (m.empty() ? "ok" : m.front().text) << std::endl;
        }
}

TEST_F(Cli, WritersRacingOnOnePresetFileLoseNothingAndLeaveNothing) {
    auto old = std::make_unique<vemo::PresetTable>();  // what the deletes take out
    old->count = 0;
    for (int i = 0; i < kWriters * kRounds; ++i)
        old->add("old" + std::to_string(i % kWriters) + "-" + std::to_string(i / kWriters), 10, std::array<int32_t, 31>{}.data());
    ASSERT_TRUE(vemo::preset_file_save(*old, at("vemoeqset.eq").string()).ok());
    std::vector<pid_t> children;
    for (int w = 0; w <= kWriters; ++w) {
        if ((children.emplace_back(fork())) != 0) continue;
        if (w == kWriters) editor_saves(work_.path());
        else if (chdir(work_.path().c_str()) == 0) execl("/bin/bash", "bash", "-c", writer_script(w).c_str(), nullptr);
        _exit(w == kWriters ? 0 : 127);
    }
    for (pid_t c : children) {
        int status = -1;
        EXPECT_EQ(std::tuple(waitpid(c, &status, 0) == c, status), std::tuple(true, 0));
    }
    // A later run, after writers killed at any point.
    spit(at("in.json"), R"({"name": "later", "band_count": 10})");
    ASSERT_EQ(run("presets import in.json --file vemoeqset.eq").status, 0);

    const std::string bytes = file_bytes(at("vemoeqset.eq"));
    ASSERT_TRUE(vemo::check_preset_file(bytes).ok());
    std::map<std::string, std::vector<int>> kept{{"later", {}}};  // name -> the gain of each record
    for (size_t i = 0; i < bytes.size(); i += sizeof(vemo::PresetRecord))
        kept[bytes.c_str() + i].push_back(reinterpret_cast<const vemo::PresetRecord*>(bytes.data() + i)->gains[0]);
    std::map<std::string, int> tally;
    std::istringstream log(file_bytes(at("log")) + file_bytes(at("log-editor")));
    for (std::string name, who, told; log >> name >> who && std::getline(log, told);) {
        told.erase(0, 1);
        const std::vector<int> own = name.rfind("old", 0) == 0 ? std::vector<int>{}
                                     : std::vector<int>{who == "editor" ? kEditorGain : std::stoi(who)};
        const std::vector<int>& now = kept[name];
        // Done: there, or gone.  Refused: changed nothing (the editor is told another writer saved the name
        // first).  Killed, or timed out as it ended: either.
        const bool done = told == "0" || told == "ok",
                   refused = told == "1" || told == "其他程序已保存了名为“" + name + "”的音效模式，此音效模式未写入文件";
        EXPECT_TRUE(now.size() <= 1 && (done ? now == own : !refused || now != own) &&
                    (done || refused || told == "137" || told == "124")) << name << " " << who << " " << told;
        ++tally[done ? "done" : refused ? "refused" : "killed"];
    }
    EXPECT_EQ(kept.size(), static_cast<size_t>(1 + kWriters * kRounds * 2 + kShared * 2)) << "names nobody wrote";
    EXPECT_TRUE(tally["killed"] > 0 && tally["done"] > kWriters * kRounds);

    // Renders that die leave no temporary beside their outputs either: one whose reader goes away (SIGPIPE)
    // while its picture is still open, one killed with SIGKILL.
    write_audio(at("in.wav"), 44100, 2, test_samples(2 * 4410));
    const std::string cd = "cd '" + work_.path().string() + "' && ", render = "'" VEMOMIX_BIN "' render in.wav ";
    EXPECT_NE(std::system((cd + render + "- --tail 5 --levels x.png | head -c 100 >/dev/null").c_str()), -1);
    EXPECT_NE(std::system((cd + "timeout --foreground -s KILL 0.1 " + render + "big.wav --tail 3000").c_str()), -1);
    for (const std::string& f : listing(work_.path())) EXPECT_TRUE(f[0] != '.' && f != "vemoeqset.eq.lock" && f != "big.wav") << f;
}

}  // namespace
