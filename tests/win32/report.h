// What the test hosts report with: named checks of exact values, one line each, and the counts
// their run scripts add up.
#pragma once
#include <cstdio>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

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
    // Numbers of any type (compared by value), UTF-8 texts, and lists of them.
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
    int passed() const { return passed_; }
    int failed() const { return failed_; }
    // The hosts' last line, which their run scripts count; the exit status.
    int finish(const char* label) const {
        std::printf("%s: %d passed, %d failed\n", label, passed_, failed_);
        return failed_ == 0 ? 0 : 1;
    }

private:
    template <typename T>
    static std::string text(const T& v) {
        if constexpr (std::is_same_v<T, std::string>) return "\"" + v + "\"";
        else if constexpr (std::is_arithmetic_v<T>) return std::to_string(v);
        else {
            std::string out = "{";
            for (const auto& x : v) out += (out.size() > 1 ? ", " : "") + text(plain(x));
            return out + "}";
        }
    }
    template <typename T>
    static auto plain(const T& v) {
        if constexpr (std::is_arithmetic_v<T>) return +v;
        else if constexpr (std::is_constructible_v<std::string, T>) return std::string(v);
        else if constexpr (std::is_convertible_v<decltype(*v.begin()), long long>)
            return std::vector<long long>(v.begin(), v.end());  // lists of numbers of any type
        else return v;
    }
    int passed_ = 0, failed_ = 0, failures_ = 0;
    std::string notes_;
};

// text followed by the number. (A literal added to a temporary string makes g++ 12 warn.)
inline std::string named(std::string text, long long n) { return text.append(std::to_string(n)); }

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

}  // namespace vemo::host
