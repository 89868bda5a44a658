// Replacing a file where the system offers no unnamed temporaries (no /proc, as in some chroots and
// containers) and where the temporary's chosen names keep colliding: the file is still replaced
// whole, or refused with the old one left as it was.  The two calls are made to fail here the way
// such systems fail them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "editor/durable_file.h"
#include "scratch_dir.h"

namespace {
bool no_proc = false;
int link_collisions = 0, link_calls = 0;  // linkat answers EEXIST link_collisions times first
}  // namespace

// These take the C library's place in this test program only.
extern "C" int access(const char* path, int mode) noexcept {
    if (no_proc && std::strncmp(path, "/proc/", 6) == 0) return errno = ENOENT, -1;
    return static_cast<int>(syscall(SYS_faccessat, AT_FDCWD, path, mode, 0));
}
extern "C" int linkat(int from_dir, const char* from, int to_dir, const char* to, int flags) noexcept {
    if (++link_calls <= link_collisions) return errno = EEXIST, -1;
    return static_cast<int>(syscall(SYS_linkat, from_dir, from, to_dir, to, flags));
}

namespace vemo {
namespace {

struct FileFallbacks : ::testing::Test {
    void SetUp() override { std::ofstream(path) << "old", chmod(path.c_str(), 0640); }
    void TearDown() override { no_proc = false, link_collisions = link_calls = 0; }
    // The file's contents and permissions, and how many files the directory holds.
    std::tuple<std::string, int, int> on_disk() const {
        struct stat st {};
        stat(path.c_str(), &st);
        return {test::file_bytes(path), static_cast<int>(st.st_mode & 07777), dir.entries()};
    }
    test::ScratchDir dir;
    std::string path = (dir / "settings.ini").string();
};

// Without /proc the temporary is a named file beside the target, which a dropped write removes.
TEST_F(FileFallbacks, WithoutProcANamedTemporaryReplacesTheFile) {
    no_proc = true;
    {
        Temporary dropped;
        ASSERT_TRUE(dropped.create(path).ok());
        EXPECT_EQ(std::tuple(dropped.name().find("/.settings.ini.tmp-") != std::string::npos, dir.entries()),
                  std::tuple(true, 2));
    }
    EXPECT_TRUE(replace_file(path, "new").ok());
    EXPECT_EQ(std::tuple(on_disk(), link_calls), std::tuple(std::tuple("new", 0640, 1), 0));
}

// A name taken meanwhile is retried with another, up to 100 retries; then the write is refused.
TEST_F(FileFallbacks, CollidingNamesAreRetriedThenRefused) {
    link_collisions = 3;
    EXPECT_TRUE(replace_file(path, "second").ok());
    EXPECT_EQ(std::tuple(on_disk(), link_calls), std::tuple(std::tuple("second", 0640, 1), 4));
    link_calls = 0, link_collisions = 1000;
    const FileResult r = replace_file(path, "third");
    EXPECT_EQ(std::tuple(r.problem, r.error, link_calls, on_disk()),
              std::tuple(FileProblem::kSystem, EEXIST, 101, std::tuple("second", 0640, 1)));
}

}  // namespace
}  // namespace vemo
