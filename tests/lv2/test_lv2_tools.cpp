// The bundle through lilv's own tools, as a user meets it: lv2_validate against the installed
// LV2 schemas, lv2info of every plugin, and lv2apply renders compared with vemomix render.
#include <sndfile.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "../unit/scratch_dir.h"
#include "lv2/ports.h"
#include "lv2/uris.h"

namespace vemo::test {
namespace {

struct Outcome {
    int status;
    std::string out;
};
Outcome shell(const ScratchDir& dir, const std::string& cmd) {
    const std::string line = "cd " + dir.path().string() + " && LV2_PATH=" VEMO_LV2_DIR " " + cmd + " >out.txt 2>&1";
    const int ws = std::system(line.c_str());
    return {WIFEXITED(ws) ? WEXITSTATUS(ws) : -1, file_bytes(dir / "out.txt")};
}

std::vector<float> read_float(const std::filesystem::path& p) {
    SF_INFO info{};
    SNDFILE* sf = sf_open(p.c_str(), SFM_READ, &info);
    std::vector<float> x(sf ? static_cast<size_t>(info.frames * info.channels) : 0);
    if (sf) sf_readf_float(sf, x.data(), info.frames), sf_close(sf);
    return x;  // 16-bit files come back as s / 32768 exactly
}

std::string num(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", v);
    return buf;
}

TEST(Lv2Tools, BundleValidatesAndEveryPluginIsListed) {
    ScratchDir dir;
    const Outcome v = shell(dir, "lv2_validate " VEMO_LV2_DIR "/vemosoundmix.lv2/*.ttl");
    EXPECT_TRUE(v.status == 0 && v.out.find("Found 0 errors") != std::string::npos &&
                v.out.find("arning") == std::string::npos) << v.out;
    for (int t = 1; t <= kEffectCount; ++t)
        for (const int ch : {1, 2}) {
            const Outcome info = shell(dir, "lv2info " + lv2::plugin_uri(t, ch));
            EXPECT_TRUE(info.status == 0 && info.out.find(ch == 1 ? " mono\n" : " stereo\n") != std::string::npos &&
                        info.out.find(ch == 1 ? "Symbol:      out\n" : "Symbol:      out_r") != std::string::npos)
                << info.out;
        }
}

// lv2apply runs one frame per block: vemomix render --buffer 1 with the same settings, at the
// defaults and at random positions of every slider.
TEST(Lv2Tools, Lv2applyRendersWhatVemomixRendersForEveryPlugin) {
#ifdef VEMO_SANITIZED
    GTEST_SKIP() << "lv2apply cannot load a plugin built with a sanitizer; test_lv2_plugin renders it in-process";
#endif
    ScratchDir dir;
    std::mt19937 g(25);
    for (const int ch : {1, 2}) {
        std::vector<float> x(static_cast<size_t>(1500 * ch));
        for (float& s : x) s = std::uniform_real_distribution<float>(-1.1f, 1.1f)(g);
        SF_INFO info{0, 22050, ch, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 0, 0};
        SNDFILE* sf = sf_open((dir / "in.wav").c_str(), SFM_WRITE, &info);
        sf_writef_float(sf, x.data(), 1500), sf_close(sf);
        for (int t = 1; t <= kEffectCount; ++t)
            for (const bool random : {false, true}) {
                std::string controls, sets;
                const std::vector<lv2::ControlPort> ports = lv2::control_ports(t, ch);
                for (size_t i = 1; i < ports.size() && random; ++i) {
                    const lv2::ControlPort& p = ports[i];
                    const int32_t pos = std::uniform_int_distribution<int32_t>(p.row->pos_min, p.row->pos_max)(g);
                    controls += " -c " + p.symbol + " " + num(lv2::port_value_at(p, pos));
                    const std::string field = p.band >= 0 ? std::string(p.row->field) + "[" + std::to_string(p.band) + "]" : std::string(p.row->field);
                    sets += " --set " + field + "=" + num(p.band >= 0 ? pos : param_value_at(*p.row, pos, 22050, ch));
                }
                const std::string what = std::string(kEffects[t].key) + (ch == 1 ? " mono" : " stereo") + controls;
                ASSERT_EQ(shell(dir, "lv2apply -i in.wav -o lv2.wav" + controls + " " + lv2::plugin_uri(t, ch)).status, 0) << what;
                const Outcome r = shell(dir, VEMOMIX_BIN " render in.wav lib.wav --buffer 1 --enable " + std::string(kEffects[t].key) + sets);
                ASSERT_EQ(r.status, 0) << r.out;
                const std::vector<float> a = read_float(dir / "lv2.wav"), b = read_float(dir / "lib.wav");
                ASSERT_EQ(a.size(), x.size()) << what;
                EXPECT_EQ(std::mismatch(a.begin(), a.end(), b.begin()).first - a.begin(), static_cast<long>(a.size())) << what;
            }
    }
}

}  // namespace
}  // namespace vemo::test
