// What the command-line tests share: running the built vemomix as a separate process on files made in a
// temporary directory, and reading and writing those files.
#pragma once
#include <gtest/gtest.h>
#include <png.h>
#include <sndfile.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "../unit/scratch_dir.h"

namespace vemomix_test {

namespace fs = std::filesystem;
using vemo::test::file_bytes;

struct Outcome {
    int status = -1;
    std::string out, err;
};

inline void spit(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

inline std::set<std::string> listing(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
}

struct Audio {
    int rate = 0, channels = 0, format = 0;
    std::vector<int16_t> samples;
};

// 16-bit PCM, or 32-bit float for float samples.
template <class T>
void write_audio(const fs::path& p, int rate, int channels, const std::vector<T>& samples) {
    SF_INFO info{0, rate, channels, SF_FORMAT_WAV | (sizeof(T) == 2 ? SF_FORMAT_PCM_16 : SF_FORMAT_FLOAT), 0, 0};
    SNDFILE* sf = sf_open(p.c_str(), SFM_WRITE, &info);
    ASSERT_NE(sf, nullptr) << sf_strerror(nullptr);
    if constexpr (sizeof(T) == 2) sf_writef_short(sf, samples.data(), static_cast<sf_count_t>(samples.size() / channels));
    else sf_writef_float(sf, samples.data(), static_cast<sf_count_t>(samples.size() / channels));
    sf_close(sf);
}

inline Audio read_audio(const fs::path& p) {
    Audio a;
    SF_INFO info{};
    SNDFILE* sf = sf_open(p.c_str(), SFM_READ, &info);
    if (!sf) return a;
    a = {info.samplerate, info.channels, info.format, std::vector<int16_t>(info.frames * info.channels)};
    sf_readf_short(sf, a.samples.data(), info.frames);
    sf_close(sf);
    return a;
}

// The phase inversion is exact: every sample but -32768 (which has no positive twin) changes sign.
inline std::vector<int16_t> inverted(std::vector<int16_t> s) {
    for (int16_t& v : s) v = v == INT16_MIN ? v : static_cast<int16_t>(-v);
    return s;
}

// A decoded PNG: what the file says it is, and its pixels as 8-bit RGB.
struct Picture {
    bool ok = false;
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    uint32_t colorref(int x, int y) const {
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        return p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
    }
};

inline Picture read_png(const fs::path& p) {
    Picture pic;
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, p.c_str())) return pic;
    pic.width = static_cast<int>(img.width);
    pic.height = static_cast<int>(img.height);
    img.format = PNG_FORMAT_RGB;
    pic.rgb.resize(PNG_IMAGE_SIZE(img));
    pic.ok = png_image_finish_read(&img, nullptr, pic.rgb.data(), 0, nullptr) != 0;
    return pic;
}

// Every value a 16-bit sample can take shows up, the extremes first.
inline std::vector<int16_t> test_samples(size_t count) {
    std::vector<int16_t> s = {32767, -32768, 0, 1, -1, -32767, 1000, -1000};
    for (uint32_t x = 2024; s.size() < count;) s.push_back(static_cast<int16_t>((x = x * 1103515245u + 12345u) >> 16));
    s.resize(count);
    return s;
}

// The arguments of a command line written as one string: split at spaces, except a space after a comma,
// which stays inside its list ("--enable invert, echo").
inline std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out(1);
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != ' ' || (i > 0 && line[i - 1] == ',')) out.back() += line[i];
        else out.emplace_back();
    }
    return line.empty() ? std::vector<std::string>{} : out;
}

// Text against a pattern in which * stands for any run of characters (words of libsndfile or the C library).
inline bool matches(std::string_view text, std::string_view pattern) {
    if (pattern.empty()) return text.empty();
    if (pattern[0] == '*') return matches(text, pattern.substr(1)) || (!text.empty() && matches(text.substr(1), pattern));
    return !text.empty() && text[0] == pattern[0] && matches(text.substr(1), pattern.substr(1));
}

class Cli : public ::testing::Test {
protected:
    fs::path at(const std::string& name) const { return work_ / name; }

    // Runs a command line through the shell in the work directory, so that what it prints names the files
    // as given, with no input.
    Outcome run(const std::string& line) {
        const auto quote = [](const std::string& a) {
            std::string q = "'";
            for (char c : a) q.append(c == '\'' ? "'\\''" : std::string(1, c));
            return q.append("'");
        };
        std::string cmd = "cd " + quote(work_.path()) + " && " + quote(VEMOMIX_BIN);
        for (const std::string& a : words(line)) cmd.append(" ").append(quote(a));
        cmd.append(" </dev/null >").append(quote(capture_ / "stdout")).append(" 2>").append(quote(capture_ / "stderr"));
        const int ws = std::system(cmd.c_str());
        return {WIFEXITED(ws) ? WEXITSTATUS(ws) : -1, file_bytes(capture_ / "stdout"), file_bytes(capture_ / "stderr")};
    }

    // A refusal exits with `status` (2 for usage errors, 1 for the rest), prints nothing on stdout and one
    // line on stderr, "vemomix: " and `told` (a usage error adds a pointer to --help), and leaves the work
    // directory as it was.
    struct Refusal { std::string line; int status; std::string told; };
    void expect_refusals(const std::vector<Refusal>& rows) {
        const auto before = listing(work_.path());
        for (const auto& [line, status, told] : rows) {
            const Outcome r = run(line);
            EXPECT_EQ(std::tuple(r.status, r.out), std::tuple(status, "")) << line;
            const std::string want = "vemomix: " + told + (status == 2 ? " (see vemomix --help)\n" : "\n");
            EXPECT_TRUE(matches(r.err, want)) << line << "\n  stderr: " << r.err << "  wanted: " << want;
            EXPECT_EQ(listing(work_.path()), before) << line;
        }
    }

    vemo::test::ScratchDir work_, capture_;
};

}  // namespace vemomix_test
