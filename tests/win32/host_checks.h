// Call-order and bad-input checks that any host of the library can run through the export
// table: the Wine host runs them against the DLL, the native host against the shared library.
#pragma once
#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "../torture/torture.h"
#include "vemo_api.h"

namespace vemo::host {

// Counts named checks; a check fails when any of its expectations fails.
class Report {
public:
    template <typename Body>
    void run(const std::string& name, Body&& body) {
        failures_ = 0;
        notes_.clear();
        body();  // an exception that escapes ends the host, which its run script reports as a failure
        ++(failures_ == 0 ? passed_ : failed_);
        std::printf("%s %s\n%s", failures_ == 0 ? "ok  " : "FAIL", name.c_str(), notes_.c_str());
        std::fflush(stdout);
    }
    // A line shown under the check's verdict.
    void note(const std::string& text) { notes_ += "     " + text + "\n"; }
    bool expect(bool ok, const std::string& what) {
        if (!ok) ++failures_, note("expected " + what);
        return ok;
    }
    // Numbers of any integer type (compared by value), enums, UTF-8 texts, and lists of them (nums).
    template <typename A, typename B>
    bool eq(const A& got, const B& want, const std::string& what) {
        const auto g = plain(got);
        const auto w = plain(want);
        bool ok;
        if constexpr (std::is_integral_v<decltype(g)> && std::is_integral_v<decltype(w)>) ok = std::cmp_equal(g, w);
        else ok = g == w;
        if (!ok) ++failures_, note(what + ": got " + text(g) + ", want " + text(w));
        return ok;
    }
    // A value as the failure notes show it.
    template <typename T>
    static std::string text(const T& v) {
        if constexpr (std::is_same_v<T, std::string>) return "\"" + v + "\"";
        else if constexpr (std::is_arithmetic_v<T>) return std::to_string(v);
        else {
            std::string out = "{";
            for (const auto& x : v) out += (out.size() > 1 ? ", " : "") + text(x);
            return out + "}";
        }
    }
    int passed() const { return passed_; }
    int failed() const { return failed_; }
    // The hosts' last line, which their run scripts count; the exit status.
    int finish(const char* label) const {
        std::printf("%s: %d passed, %d failed\n", label, passed_, failed_);
        return failed_ == 0 ? 0 : 1;
    }

private:
    template <typename T>
    static auto plain(const T& v) {
        if constexpr (std::is_enum_v<T>) return static_cast<long long>(v);
        else if constexpr (std::is_arithmetic_v<T>) return +v;
        else if constexpr (std::is_constructible_v<std::string, T>) return std::string(v);
        else if constexpr (std::is_convertible_v<decltype(*v.begin()), long long>)
            return std::vector<long long>(v.begin(), v.end());  // lists of numbers of any type
        else return v;
    }
    int passed_ = 0, failed_ = 0, failures_ = 0;
    std::string notes_;
};

// text followed by the number: what a check's row is called. (A literal added to a temporary
// string makes g++ 12 warn about overlapping copies.)
inline std::string named(std::string text, long long n) { return text.append(std::to_string(n)); }

// Several numbers compared at once with Report::eq.
template <typename... T>
std::vector<long long> nums(T... v) {
    return {static_cast<long long>(v)...};
}

// f(0) .. f(n - 1), to compare as one list.
template <typename F>
auto each(int n, F f) {
    std::vector<decltype(f(0))> v;
    for (int i = 0; i < n; ++i) v.push_back(f(i));
    return v;
}

// The enabled byte of an EffectType (1..16) inside a record.
inline uint8_t& enabled_byte(EffectSettings& s, int type) { return torture::bytes_of(s)[torture::kFlagOffset[type]]; }

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

// The first byte where two records differ, reserved padding aside (vemomix_get does not write
// it); -1 when they agree.
inline int first_difference(const EffectSettings& a, const EffectSettings& b) {
    for (size_t i = 0; i < sizeof a; ++i)
        if (reinterpret_cast<const uint8_t*>(&a)[i] != reinterpret_cast<const uint8_t*>(&b)[i] &&
            !torture::reserved_byte(i))
            return static_cast<int>(i);
    return -1;
}

template <typename F>
std::vector<int16_t> ramp(size_t n, F f) {
    std::vector<int16_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<int16_t>(f(static_cast<int>(i)));
    return v;
}

// Must run first in a fresh process: some checks look at the values the library starts with.
// The display flag, records refused at a rate without equaliser tables and switch bytes other
// than 1 are checked natively in tests/unit/test_exports.cpp, test_graphic_eq.cpp and
// test_chain_walk.cpp.
inline void run_api_checks(const Api& api, Report& r) {
    std::vector<int16_t> buf;

    r.run("wintran starts enabled and follows the sign of the value", [&] {
        r.eq(api.get_wintran(), 1, "get_wintran after load");
        for (auto [value, want] : {std::pair{0, -1}, {-5, -1}, {3, 1}}) {
            api.set_wintran(value);
            r.eq(api.get_wintran(), want, named("get_wintran after ", value));
        }
        api.set_mainwnd(0);
        api.setlevel();
        r.eq(api.get_dispstatus(), 0, "dispstatus after load");
    });

    r.run("calls before begin change nothing", [&] {
        const std::vector<int16_t> orig = buf = ramp(512, [](int i) { return i * 37; });
        r.eq(api.change(buf.data(), 256), 256, "change result before begin");
        r.expect(buf == orig, "buffer untouched before begin");
        EffectSettings s = filled(0);
        s.invert_enabled = 1;
        s.chain_order[0] = 15;
        api.set(s);
        EffectSettings got = filled(0xA5);
        api.get(&got);
        r.expect(same(got, filled(0xA5)), "get before begin leaves the record alone");
        api.get(nullptr);
        api.setdisp(1);
        r.eq(api.get_dispstatus(), 0, "setdisp before begin");
        api.datarefresh();
        api.close();
        api.close();
        r.eq(api.change(buf.data(), 256), 256, "change result after close");
        r.expect(buf == orig, "buffer untouched after close");
    });

    r.run("begin and init give the default chain with every effect off", [&] {
        api.set_dispmode(0);
        api.begin();
        api.begin();
        r.eq(api.get_dispstatus(), 0, "dispstatus after begin twice");
        api.init(44100, 2, 0);
        EffectSettings s = current(api);
        for (int i = 0; i < 255; ++i) r.eq(s.chain_order[i], i < 16 ? i + 1 : 0, named("chain byte ", i));
        for (int t = 1; t <= 16; ++t) r.eq(enabled_byte(s, t), 0, named("enabled byte of type ", t));
        r.eq(s.eq_band_count, 10, "eq_band_count after init");
        r.eq(s.eq_preset_name[0], 0, "eq_preset_name is empty");
    });

    r.run("get and set round trip", [&] {
        start(api, 44100, 2);
        const EffectSettings defaults = current(api);
        api.set(defaults);
        EffectSettings again = current(api);
        // The phaser keeps its feedback as a float and reports trunc(fb * 100): 0.7f gives 69,
        // and 69 set back becomes 0.69f, reported as 68. Every other field comes back unchanged.
        r.eq(defaults.phaser_feedback, 69, "phaser_feedback after init");
        r.eq(again.phaser_feedback, 68, "phaser_feedback 69 set back");
        again.phaser_feedback = defaults.phaser_feedback;
        r.eq(first_difference(again, defaults), -1, "first byte get -> set -> get changed");

        // A reversed chain, switches (eq_enabled keeps the byte given) and equaliser values.
        EffectSettings s = defaults;
        for (int i = 0; i < 16; ++i) s.chain_order[i] = static_cast<uint8_t>(16 - i);
        s.invert_enabled = s.comp_enabled = 1;
        s.comp_threshold_db = -30;
        s.eq_enabled = 2;
        const int levels[10] = {8, -4, 12, 0, -8, 4, 20, -20, 2, -12};
        for (int b = 0; b < 10; ++b) s.eq_band_level[b] = levels[b];
        s.eq_preamp_pos = 15;
        api.set(s);
        const EffectSettings got = current(api);
        s.phaser_feedback = 68;
        r.eq(first_difference(got, s), -1, "first byte of the record set that get reports otherwise");
        r.eq(got.eq_preset_builtin, 0, "eq_preset_builtin");
        api.datarefresh();
        r.eq(first_difference(current(api), got), -1, "first byte datarefresh changed");
    });

    r.run("bad buffers: null, odd, negative, zero and longer than 4096 frames", [&] {
        start(api, 44100, 2);
        EffectSettings s = current(api);
        s.invert_enabled = 1;
        api.set(s);
        const std::vector<int16_t> orig = buf = ramp(12000, [](int i) { return i % 3000 - 1500; });
        r.eq(api.change(nullptr, 400), 400, "null buffer");
        r.eq(api.change(buf.data(), 0), 0, "zero bytes");
        r.eq(api.change(buf.data(), -4), -4, "negative bytes");
        // 7 bytes in stereo: one whole frame, the third sample and the odd byte are left alone.
        r.eq(api.change(buf.data(), 7), 7, "odd byte count");
        r.expect(buf[0] == -orig[0] && buf[1] == -orig[1], "the whole frame is inverted");
        r.expect(buf[2] == orig[2] && buf[3] == orig[3], "the incomplete frame is untouched");
        // 6000 frames: the library works through it in slices, every frame inverted once.
        buf = orig;
        r.eq(api.change(buf.data(), 24000), 24000, "long buffer result");
        int wrong = 0;
        for (size_t i = 0; i < buf.size(); ++i) wrong += buf[i] != static_cast<int16_t>(-orig[i]);
        r.eq(wrong, 0, "samples of a 6000-frame buffer not inverted");
    });

    r.run("close, then a new begin waits for init", [&] {
        start(api, 44100, 2);
        EffectSettings s = current(api);
        s.invert_enabled = 1;
        api.set(s);
        api.setdisp(1);
        api.close();
        r.eq(api.get_dispstatus(), 0, "dispstatus after close");
        EffectSettings after = filled(0xA5);
        api.get(&after);
        r.expect(same(after, filled(0xA5)), "get after close writes nothing");
        api.begin();
        int16_t two[2] = {5, 6};
        r.eq(api.change(two, 4), 4, "change after a new begin");
        r.expect(two[0] == 5 && two[1] == 6, "nothing runs before the next init");
        api.close();
    });
}

}  // namespace vemo::host
