// The preset table (built-ins, name checks, add and delete) and the preset file: reading
// whole records only, stopping at a full table, and changing it under its lock through a temporary.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "editor/preset_file.h"
#include "editor/presets.h"
#include "scratch_dir.h"

namespace vemo {
namespace {

namespace fs = std::filesystem;
using test::file_bytes;

// The built-in presets, then user presets of these names and band counts, all with gains g.
std::unique_ptr<PresetTable> builtin_table(std::initializer_list<std::pair<const char*, int>> user = {},
                                           const int32_t* g = nullptr) {
    auto t = std::make_unique<PresetTable>();
    t->build_builtins();
    const int32_t flat[31] = {};
    for (const auto& [name, bands] : user) EXPECT_EQ(t->add(name, bands, g ? g : flat), PresetStatus::kOk) << name;
    return t;
}

class PresetFileTest : public ::testing::Test {
protected:
    test::ScratchDir dir;
    std::string path = (dir / "vemoeqset.eq").string();
};

// Names, order and gains of the built-ins are checked where `vemomix presets list` prints them, deletes
// where `vemomix presets delete` makes them.
TEST(PresetTable, NameChecksAndAdd) {
    auto t = builtin_table();
    ASSERT_EQ(std::tuple(t->count, t->user_count()), std::tuple(11, 0));
    EXPECT_STREQ(t->records[5].name, "Rock\xD2\xA1\xB9\xF6\xC4\xA3\xCA\xBD");  // code page 936
    // Lengths and characters outside code page 936 are refused through the page; here a name is
    // compared byte for byte, and one with a NUL in it is no name.
    std::string bytes;
    EXPECT_EQ(std::tuple(t->check_new_name("rock摇滚模式", bytes), t->check_new_name(std::string("a\0b", 3), bytes)),
              std::tuple(PresetStatus::kOk, PresetStatus::kNameNotCp936));

    int32_t gains[31];
    for (int b = 0; b < 31; ++b) gains[b] = b - 15;
    EXPECT_EQ(t->add("我的", 12, gains), PresetStatus::kBadBandCount);
    for (const auto& [name, bands] : {std::pair("我的", 25), std::pair("第二", 10), std::pair("第三", 10)})
        ASSERT_EQ(t->add(name, bands, gains), PresetStatus::kOk) << name;
    EXPECT_EQ(t->add("我的", 31, gains), PresetStatus::kNameExists);
    EXPECT_EQ(std::tuple(t->count, t->records[11].gains[30], t->records[11].builtin, t->find_nth_of_band_count(25, 1)),
              std::tuple(14, 15, 0, 11));
}

// A missing file adds nothing.  Random bytes, 2 whole records and a tail of 195: the tail is
// ignored, every name ends inside its field and what was read stays a deletable user preset.
// Reading stops when the table is full, at 255 presets.
TEST_F(PresetFileTest, LoadingTakesWholeRecordsUntilTheTableIsFull) {
    auto t = builtin_table();
    EXPECT_EQ(preset_file_load(*t, path), 0);
    std::mt19937 gen(7);
    std::string junk(2 * 196 + 195, '\0');
    for (char& c : junk) c = static_cast<char>(gen());
    junk[192] = 1;
    std::ofstream(path, std::ios::binary) << junk;
    EXPECT_EQ(preset_file_load(*t, path), 2);
    EXPECT_EQ(t->count, 13);
    for (int i = 11; i < 13; ++i)
        EXPECT_EQ(std::tuple(strnlen(t->records[i].name, 64) <= 63, t->records[i].builtin), std::tuple(true, 0)) << i;

    std::vector<PresetRecord> recs(250);
    for (int i = 0; i < 250; ++i) std::snprintf(recs[i].name, 64, "u%d", i), recs[i].band_count = 10;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(recs.data()), 250 * sizeof(PresetRecord));
    t = builtin_table();
    EXPECT_EQ(preset_file_load(*t, path), 244);
    EXPECT_EQ(std::tuple(t->count, t->name_utf8(254)), std::tuple(255, "u243"));
}

TEST_F(PresetFileTest, AFailedWriteLeavesTheOldFile) {
    const int32_t g[31] = {1, 2, 3};
    ASSERT_TRUE(preset_file_save(*builtin_table({{"旧", 31}}, g), path).ok());
    const std::string old = file_bytes(path);
    // The user record alone: name in code page 936, band count at 64, gains from 68, built-in flag at 192.
    EXPECT_EQ(std::tuple(old.size(), old.substr(0, 3), old[64], old[68], old[72], old[192]),
              std::tuple(196u, std::string("\xBE\xC9\0", 3), 31, 1, 2, 0));

    // The disk fills up half-way through the new contents.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small{300, saved.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileResult written = preset_file_save(*builtin_table({{"旧", 10}, {"新", 10}, {"更新", 10}}), path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(std::tuple(written.problem, written.error), std::tuple(FileProblem::kSystem, EFBIG));
    EXPECT_EQ(std::tuple(file_bytes(path), dir.entries()), std::tuple(old, 1));
}

// The file as it is on disk under its lock is what a write changes: records the table has no room for and
// one added by another program stay.  A put of a name the file has adds nothing when it is the same record
// (a retry) and is refused when it is another's; a file holding all the table takes refuses more.
TEST_F(PresetFileTest, EditsApplyToTheFileOnDiskUnderItsLock) {
    std::vector<PresetRecord> all(244);
    for (int i = 0; i < 244; ++i) std::snprintf(all[i].name, 64, "p%d", i), all[i].band_count = 10, all[i].gains[0] = 3;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(all.data()), 244 * sizeof(PresetRecord));
    PresetRecord changed = all[5], fresh = all[0], more = all[0];
    changed.gains[0] = 9;
    std::strcpy(fresh.name, "new"), std::strcpy(more.name, "more");
    using K = PresetEdit::Kind;
    const PresetApplyResult r = preset_file_apply(path, {{K::kRemove, all[1]}, {K::kPut, changed}, {K::kPut, all[7]},
                                                         {K::kPut, fresh}, {K::kPut, more}, {K::kRemove, fresh}});
    EXPECT_EQ(std::tuple(r.written(), r.refused),
              std::tuple(true, std::vector<std::pair<size_t, PresetStatus>>{{1, PresetStatus::kNameExists},
                                                                            {4, PresetStatus::kTableFull}}));
    const std::string back = file_bytes(path);
    ASSERT_EQ(back.size(), 243 * sizeof(PresetRecord));
    const auto rec = [&](int i) { return reinterpret_cast<const PresetRecord*>(back.data())[i]; };
    EXPECT_EQ(std::tuple(std::string(rec(0).name), std::string(rec(1).name), rec(4).gains[0], std::string(rec(242).name)),
              std::tuple("p0", "p2", 3, "p243"));
}

// Only regular files are read, locked or replaced: a FIFO is refused without blocking, a link to a device
// leaves the device as it is, a loop of links is refused.  A temporary whose writer has ended goes with the
// next write; one a live writer holds stays.
TEST_F(PresetFileTest, HostilePathsAndLeftTemporaries) {
    const std::string fifo = (dir / "fifo.eq").string(), dev = (dir / "dev.eq").string(), loop = (dir / "loop.eq").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("/dev/null", dev), fs::create_symlink("loop.eq", loop);
    std::string bytes;
    EXPECT_EQ(std::tuple(read_regular_file(fifo, bytes).problem, preset_file_apply(fifo, {}).file.problem,
                         preset_file_apply(dev, {}).file.problem, replace_file(dev, "x").problem,
                         preset_file_apply(loop, {}).file.problem, replace_file(loop, "x").problem),
              std::tuple(FileProblem::kNotRegular, FileProblem::kNotRegular, FileProblem::kNotRegular,
                         FileProblem::kNotRegular, FileProblem::kLinkLoop, FileProblem::kLinkLoop));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(std::tuple(fs::is_symlink(fs::symlink_status(loop)), dir.entries()), std::tuple(true, 3));

    const std::string abandoned = (dir / ".vemoeqset.eq.tmp-abc123").string(), live = (dir / ".vemoeqset.eq.tmp-xyz789").string();
    for (const std::string& p : {abandoned, live}) std::ofstream(p) << "half";
    const int fd = open(live.c_str(), O_RDONLY);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    ASSERT_TRUE(preset_file_apply(path, {}).written());
    EXPECT_EQ(std::tuple(fs::exists(abandoned), fs::exists(live), fs::exists(path + ".lock"), fs::file_size(path)),
              std::tuple(false, true, false, 0u));
    close(fd);
}

}  // namespace
}  // namespace vemo
