// Call-order and bad-input checks that any host of the library can run through the export
// table: the Wine host runs them against the DLL, the native host against the shared library.
#pragma once
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../torture/torture.h"
#include "vemo_api.h"

namespace vemo::host {

// Counts named checks; a check fails when any of its expectations fails.
class Report {
public:
    template <typename Body>
    void run(const char* name, Body&& body) {
        failures_ = 0;
        notes_.clear();
        body();  // an exception that escapes ends the host, which its run script reports as a failure
        if (failures_ == 0) ++passed_;
        else ++failed_;
        std::printf("%s %s\n%s", failures_ == 0 ? "ok  " : "FAIL", name, notes_.c_str());
        std::fflush(stdout);
    }
    void expect(bool ok, const char* what, long long got = 0, long long want = 0) {
        if (ok) return;
        ++failures_;
        char line[256];
        std::snprintf(line, sizeof line, "expected %s (got %lld, want %lld)", what, got, want);
        note(line);
    }
    // A line shown under the check's verdict.
    void note(const std::string& text) { notes_ += "     " + text + "\n"; }
    void expect_eq(long long got, long long want, const char* what) { expect(got == want, what, got, want); }
    void expect_text(const std::string& got, const std::string& want, const char* what) {
        if (got != want) note(std::string(what) + ": got \"" + got + "\", want \"" + want + "\"");
        expect(got == want, what);
    }
    int passed() const { return passed_; }
    int failed() const { return failed_; }

private:
    int passed_ = 0, failed_ = 0, failures_ = 0;
    std::string notes_;
};

// The enabled byte of an EffectType (1..16) inside a record.
inline uint8_t& enabled_byte(EffectSettings& s, int type) {
    return reinterpret_cast<uint8_t*>(&s)[torture::kFlagOffset[type]];
}

namespace detail {

inline EffectSettings filled(unsigned char byte) {
    EffectSettings s;
    std::memset(&s, byte, sizeof s);
    return s;
}

inline bool same(const EffectSettings& a, const EffectSettings& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

inline EffectSettings current(const Api& api) {
    EffectSettings s = filled(0);
    api.get(&s);
    return s;
}

inline void start(const Api& api, int rate, int channels, int show = 0) {
    api.close();
    api.set_dispmode(0);
    api.begin();
    api.init(rate, channels, show);
}

// A fresh session whose only effect is the phase inversion: easy to predict sample by sample.
inline void start_inverting(const Api& api, int rate, int channels) {
    start(api, rate, channels);
    EffectSettings s = current(api);
    s.invert_enabled = 1;
    api.set(s);
}

// Compares only the bytes that vemomix_get writes: every field but the reserved padding.
inline bool same_fields(const EffectSettings& a, const EffectSettings& b) {
    const auto* x = reinterpret_cast<const uint8_t*>(&a);
    const auto* y = reinterpret_cast<const uint8_t*>(&b);
    for (size_t i = 0; i < sizeof a; ++i)
        if (x[i] != y[i] && !torture::reserved_byte(i)) return false;
    return true;
}

}  // namespace detail

// Must run first in a fresh process: some checks look at the values the library starts with.
inline void run_api_checks(const Api& api, Report& report) {
    using namespace detail;
    std::vector<int16_t> buf(2 * 6000), orig;

    report.run("wintran starts enabled and follows the sign of the value", [&] {
        report.expect_eq(api.get_wintran(), 1, "get_wintran after load");
        api.set_wintran(0);
        report.expect_eq(api.get_wintran(), -1, "get_wintran after 0");
        api.set_wintran(-5);
        report.expect_eq(api.get_wintran(), -1, "get_wintran after -5");
        api.set_wintran(3);
        report.expect_eq(api.get_wintran(), 1, "get_wintran after 3");
        api.set_mainwnd(0);
        api.setlevel();
        report.expect_eq(api.get_dispstatus(), 0, "dispstatus after load");
    });

    report.run("calls before begin change nothing", [&] {
        for (size_t i = 0; i < buf.size(); ++i) buf[i] = static_cast<int16_t>(i * 37);
        orig = buf;
        report.expect_eq(api.change(buf.data(), 256), 256, "change result before begin");
        report.expect(buf == orig, "buffer untouched before begin");
        EffectSettings s = filled(0);
        s.invert_enabled = 1;
        s.chain_order[0] = 15;
        api.set(s);
        EffectSettings got = filled(0xA5);
        api.get(&got);
        report.expect(same(got, filled(0xA5)), "get before begin leaves the record alone");
        api.get(nullptr);
        api.setdisp(1);
        report.expect_eq(api.get_dispstatus(), 0, "setdisp before begin");
        api.datarefresh();
        api.close();
        api.close();
        report.expect_eq(api.change(buf.data(), 256), 256, "change result after close");
        report.expect(buf == orig, "buffer untouched after close");
    });

    report.run("begin and init give the default chain with every effect off", [&] {
        api.set_dispmode(0);
        api.begin();
        api.begin();
        report.expect_eq(api.get_dispstatus(), 0, "dispstatus after begin twice");
        api.init(44100, 2, 0);
        EffectSettings s = current(api);
        for (int i = 0; i < 16; ++i) report.expect_eq(s.chain_order[i], i + 1, "default chain row");
        for (int i = 16; i < 255; ++i) report.expect_eq(s.chain_order[i], 0, "chain byte after the last row");
        for (int t = 1; t <= 16; ++t) report.expect_eq(enabled_byte(s, t), 0, "enabled byte after init");
        report.expect_eq(s.eq_band_count, 10, "eq_band_count after init");
        report.expect_eq(s.eq_preset_name[0], 0, "eq_preset_name is empty");
    });

    report.run("display flag follows setdisp and init's show", [&] {
        api.setdisp(1);
        report.expect_eq(api.get_dispstatus(), 1, "dispstatus after setdisp(1)");
        api.setdisp(7);
        report.expect_eq(api.get_dispstatus(), 7, "dispstatus after setdisp(7)");
        api.begin();
        report.expect_eq(api.get_dispstatus(), 0, "begin hides the editor");
        start(api, 48000, 1, 1);
        report.expect_eq(api.get_dispstatus(), 1, "dispstatus after init with show 1");
        api.setdisp(0);
    });

    report.run("get and set round trip", [&] {
        start(api, 44100, 2);
        const EffectSettings defaults = current(api);
        api.set(defaults);
        EffectSettings again = current(api);
        // The phaser keeps its feedback as a float and reports trunc(fb * 100): 0.7f gives 69,
        // and 69 set back becomes 0.69f, reported as 68. Every other field comes back unchanged.
        report.expect_eq(static_cast<long long>(defaults.phaser_feedback), 69, "phaser_feedback after init");
        report.expect_eq(static_cast<long long>(again.phaser_feedback), 68, "phaser_feedback 69 set back");
        again.phaser_feedback = defaults.phaser_feedback;
        report.expect(same_fields(again, defaults), "get -> set -> get keeps every other field");

        EffectSettings s = defaults;
        for (int i = 0; i < 16; ++i) s.chain_order[i] = static_cast<uint8_t>(16 - i);
        s.invert_enabled = 1;
        s.comp_enabled = 1;
        s.comp_threshold_db = -30;
        s.eq_enabled = 2;
        const int levels[10] = {8, -4, 12, 0, -8, 4, 20, -20, 2, -12};
        for (int b = 0; b < 10; ++b) s.eq_band_level[b] = levels[b];
        s.eq_preamp_pos = 15;
        api.set(s);
        const EffectSettings got = current(api);
        for (int i = 0; i < 16; ++i) report.expect_eq(got.chain_order[i], 16 - i, "chain row after set");
        report.expect_eq(got.chain_order[16], 0, "no seventeenth row");
        report.expect_eq(got.invert_enabled, 1, "invert_enabled");
        report.expect_eq(got.comp_enabled, 1, "comp_enabled");
        report.expect_eq(got.comp_threshold_db, -30, "comp_threshold_db");
        report.expect_eq(got.eq_enabled, 2, "eq_enabled keeps the byte given");
        for (int b = 0; b < 10; ++b) report.expect_eq(got.eq_band_level[b], levels[b], "eq_band_level");
        report.expect_eq(got.eq_preamp_pos, 15, "eq_preamp_pos");
        report.expect_eq(got.eq_preset_builtin, 0, "eq_preset_builtin");

        // The datarefresh between two gets changes no setting.
        api.datarefresh();
        report.expect(same_fields(current(api), got), "datarefresh keeps every setting");
    });

    report.run("set at an unsupported rate is ignored, processing still runs", [&] {
        start(api, 32000, 2);
        EffectSettings s = current(api);
        s.invert_enabled = 1;
        s.comp_enabled = 1;
        api.set(s);
        const EffectSettings got = current(api);
        report.expect_eq(got.invert_enabled, 0, "invert_enabled after set at 32000");
        report.expect_eq(got.comp_enabled, 0, "comp_enabled after set at 32000");
        // The equaliser stays out of processing at such a rate, even when switched on.
        api.setiir(1);
        for (size_t i = 0; i < buf.size(); ++i) buf[i] = static_cast<int16_t>((i * 7919) % 20000 - 10000);
        orig = buf;
        report.expect_eq(api.change(buf.data(), 4096), 4096, "change result at 32000");
        report.expect(buf == orig, "equaliser does not run at 32000");
        api.setiir(0);
    });

    report.run("bad buffers: null, odd, negative, zero and longer than 4096 frames", [&] {
        start_inverting(api, 44100, 2);
        report.expect_eq(api.change(nullptr, 400), 400, "null buffer");
        report.expect_eq(api.change(buf.data(), 0), 0, "zero bytes");
        report.expect_eq(api.change(buf.data(), -4), -4, "negative bytes");

        for (size_t i = 0; i < buf.size(); ++i) buf[i] = static_cast<int16_t>(i % 3000 - 1500);
        orig = buf;
        // 7 bytes in stereo: one whole frame, the third sample and the odd byte are left alone.
        report.expect_eq(api.change(buf.data(), 7), 7, "odd byte count");
        report.expect(buf[0] == -orig[0] && buf[1] == -orig[1], "the whole frame is inverted");
        report.expect(buf[2] == orig[2] && buf[3] == orig[3], "the incomplete frame is untouched");

        // 6000 frames: the library works through it in slices, every frame inverted once.
        buf = orig;
        const int bytes = static_cast<int>(buf.size() * 2);
        report.expect_eq(api.change(buf.data(), bytes), bytes, "long buffer result");
        int wrong = 0;
        for (size_t i = 0; i < buf.size(); ++i)
            if (buf[i] != static_cast<int16_t>(-orig[i])) ++wrong;
        report.expect_eq(wrong, 0, "samples of a 6000-frame buffer not inverted");
    });

    report.run("setiir stores any byte but only 1 runs the equaliser", [&] {
        start(api, 44100, 1);
        EffectSettings s = current(api);
        for (int b = 0; b < 10; ++b) s.eq_band_level[b] = 12;
        api.set(s);
        api.setiir(2);
        report.expect_eq(current(api).eq_enabled, 2, "eq_enabled after setiir(2)");
        for (size_t i = 0; i < buf.size(); ++i) buf[i] = static_cast<int16_t>((i * 7919) % 3000 - 1500);
        orig = buf;
        api.change(buf.data(), 4000);
        report.expect(buf == orig, "a boosting equaliser with flag 2 leaves the buffer alone");
        api.setiir(1);
        api.change(buf.data(), 4000);
        report.expect(buf != orig, "the same equaliser with flag 1 changes it");
        api.setecho(1);
        report.expect_eq(current(api).echo_enabled, 1, "echo_enabled after setecho(1)");
        api.setecho(0);
        api.setiir(0);
    });

    report.run("close, then a new begin waits for init", [&] {
        start_inverting(api, 44100, 2);
        api.setdisp(1);
        api.close();
        report.expect_eq(api.get_dispstatus(), 0, "dispstatus after close");
        EffectSettings after = filled(0xA5);
        api.get(&after);
        report.expect(same(after, filled(0xA5)), "get after close writes nothing");
        api.begin();
        int16_t two[2] = {5, 6};
        report.expect_eq(api.change(two, 4), 4, "change after a new begin");
        report.expect(two[0] == 5 && two[1] == 6, "nothing runs before the next init");
        api.close();
    });
}

}  // namespace vemo::host
