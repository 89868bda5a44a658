// A throw-away directory for tests that write files, removed with everything in it.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace vemo::test {

class ScratchDir {
public:
    ScratchDir() {
        char tmpl[] = "/tmp/vemo_test_XXXXXX";
        EXPECT_NE(mkdtemp(tmpl), nullptr);
        path_ = tmpl;
    }
    ~ScratchDir() { std::filesystem::remove_all(path_, ec_); }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    int entries() const { return static_cast<int>(std::distance(std::filesystem::directory_iterator(path_), {})); }

private:
    std::filesystem::path path_;
    std::error_code ec_;
};

inline std::string file_bytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace vemo::test
