// The demo: a few bars of synthesised music through a showcase chain, written to a WAV file.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "audio_file.h"
#include "commands.h"
#include "effect_names.h"
#include "host.h"

namespace vemomix_cli {
namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr double kSeconds = 8.0;
constexpr double kBeat = 0.5;  // 120 beats per minute
constexpr double kTwoPi = 2.0 * std::numbers::pi;

double midi_hz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// Two channels of double samples that the voices add into.
struct Mix {
    std::vector<double> left, right;
    explicit Mix(size_t frames) : left(frames), right(frames) {}
    size_t frames() const { return left.size(); }
    size_t at(double seconds) const { return std::min(frames(), static_cast<size_t>(seconds * kRate)); }
    void add(size_t i, double v, double pan) {  // pan 0 = left, 1 = right
        left[i] += v * (1.0 - pan);
        right[i] += v * pan;
    }
};

// The percussion's noise: a fixed linear-congruential sequence, so every run sounds the same.
class Noise {
public:
    double next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / 8388608.0 - 1.0;
    }

private:
    uint32_t state_ = 12345u;
};

// A pad note: saw-like partials, quick attack, decay to a sustain, a short release at its end.
void pad_note(Mix& mix, double start, double length, int note, double pan) {
    const double hz = midi_hz(note);
    const size_t a = mix.at(start), b = mix.at(start + length);
    for (size_t i = a; i < b; ++i) {
        const double t = static_cast<double>(i - a) / kRate;
        const double left_of_note = length - t;
        double env = std::min(1.0, t / 0.03) * (0.6 + 0.4 * std::exp(-t / 0.4));
        env *= std::min(1.0, left_of_note / 0.15);
        double v = 0.0;
        for (int k = 1; k <= 6; ++k) v += std::sin(kTwoPi * hz * k * t) / k;
        mix.add(i, 0.12 * env * v, pan);
    }
}

void bass_note(Mix& mix, double start, double length, int note) {
    const double hz = midi_hz(note);
    const size_t a = mix.at(start), b = mix.at(start + length);
    for (size_t i = a; i < b; ++i) {
        const double t = static_cast<double>(i - a) / kRate;
        const double env = std::min(1.0, t / 0.005) * std::exp(-t / 0.15) * std::min(1.0, (length - t) / 0.01);
        const double v = std::sin(kTwoPi * hz * t) + 0.3 * std::sin(kTwoPi * 2.0 * hz * t);
        mix.add(i, 0.3 * env * v, 0.5);
    }
}

// A falling sine thump.
void kick(Mix& mix, double start) {
    double phase = 0.0;
    const size_t a = mix.at(start), b = mix.at(start + 0.3);
    for (size_t i = a; i < b; ++i) {
        const double t = static_cast<double>(i - a) / kRate;
        phase += kTwoPi * (45.0 + 75.0 * std::exp(-t / 0.03)) / kRate;
        mix.add(i, 0.5 * std::exp(-t / 0.08) * std::sin(phase), 0.5);
    }
}

void snare(Mix& mix, Noise& noise, double start) {
    const size_t a = mix.at(start), b = mix.at(start + 0.25);
    for (size_t i = a; i < b; ++i) {
        const double t = static_cast<double>(i - a) / kRate;
        const double v =
            0.25 * noise.next() * std::exp(-t / 0.06) + 0.15 * std::sin(kTwoPi * 190.0 * t) * std::exp(-t / 0.03);
        mix.add(i, v, 0.45);
    }
}

// Differenced noise: only the hiss is left.
void hihat(Mix& mix, Noise& noise, double start) {
    double last = 0.0;
    const size_t a = mix.at(start), b = mix.at(start + 0.08);
    for (size_t i = a; i < b; ++i) {
        const double t = static_cast<double>(i - a) / kRate;
        const double n = noise.next();
        mix.add(i, 0.08 * (n - last) * std::exp(-t / 0.02), 0.65);
        last = n;
    }
}

// C, A minor, F, G: one bar of four beats each, with bass and drums.
std::vector<int16_t> demo_signal() {
    Mix mix(static_cast<size_t>(kSeconds * kRate));
    Noise noise;
    const int chords[4][3] = {{60, 64, 67}, {57, 60, 64}, {53, 57, 60}, {55, 59, 62}};
    const int roots[4] = {36, 33, 29, 31};
    const int bass_steps[4] = {0, 12, 7, 12};
    for (int bar = 0; bar < 4; ++bar) {
        const double t0 = bar * 4 * kBeat;
        for (int n = 0; n < 3; ++n) pad_note(mix, t0, 4 * kBeat, chords[bar][n], 0.3 + 0.2 * n);
        for (int step = 0; step < 8; ++step)
            bass_note(mix, t0 + step * kBeat / 2, kBeat / 2, roots[bar] + bass_steps[step % 4]);
        for (int beat = 0; beat < 4; ++beat) {
            const double tb = t0 + beat * kBeat;
            if (beat % 2 == 0)
                kick(mix, tb);
            else
                snare(mix, noise, tb);
            hihat(mix, noise, tb + kBeat / 2);
        }
    }
    // Peak at 0.7 of full scale (about -3 dBFS), leaving the effects some room.
    double peak = 0.0;
    for (size_t i = 0; i < mix.frames(); ++i) peak = std::max({peak, std::abs(mix.left[i]), std::abs(mix.right[i])});
    const double scale = peak > 0.0 ? 0.7 * 32767.0 / peak : 0.0;
    std::vector<int16_t> pcm(mix.frames() * kChannels);
    for (size_t i = 0; i < mix.frames(); ++i) {
        pcm[2 * i] = static_cast<int16_t>(std::lrint(mix.left[i] * scale));
        pcm[2 * i + 1] = static_cast<int16_t>(std::lrint(mix.right[i] * scale));
    }
    return pcm;
}

// Equaliser levels in dB for the ten bands: a gentle smile, lifted lows and highs.
constexpr int32_t kSmile[10] = {4, 3, 1, 0, -1, -1, 0, 1, 3, 4};
// The showcase: equaliser, compressor, chorus, echo, reverberation, in that order.
constexpr int kShowcase[] = {1, 2, 11, 7, 12};

}  // namespace

int demo_command(const std::string& output, StripPaths strips) {
    if (strips.last.empty()) {
        const size_t slash = output.rfind('/');
        strips.last = (slash == std::string::npos ? std::string() : output.substr(0, slash + 1)) + "demo-strip.png";
    }
    const std::vector<int16_t> pcm = demo_signal();
    const int64_t total = static_cast<int64_t>(pcm.size() / kChannels);

    const LibrarySession lib(kRate, kChannels);
    EffectSettings s = lib.current();
    std::fill(std::begin(s.chain_order), std::end(s.chain_order), 0);
    for (size_t i = 0; i < std::size(kShowcase); ++i) {
        s.chain_order[i] = static_cast<uint8_t>(kShowcase[i]);
        enabled_flag(s, kShowcase[i]) = 1;
    }
    s.eq_band_count = 10;
    std::copy(std::begin(kSmile), std::end(kSmile), s.eq_band_level);
    lib.apply(s);

    StripOutputs pictures(strips, kRate);
    AudioWriter out(output, kRate, kChannels);
    int64_t pos = 0;
    const RenderStats stats = run_buffers(
        kChannels, 1024, total,
        [&](int16_t* buf, int64_t n) {
            const int64_t take = std::min(n, total - pos);
            std::copy_n(pcm.begin() + pos * kChannels, take * kChannels, buf);
            pos += take;
            return take;
        },
        [&](const int16_t* buf, int64_t n) { out.write(buf, n); }, pictures.hook());
    pictures.encode();
    out.commit();
    pictures.commit();

    const std::vector<int> chain(std::begin(kShowcase), std::end(kShowcase));
    std::string eq;
    for (int32_t db : kSmile) eq += (db > 0 ? " +" : " ") + std::to_string(db);
    std::printf("vemomix demo: %.2f s of synthesised stereo music (chords, bass, drums) at %d Hz\n",
                static_cast<double>(stats.frames) / kRate, kRate);
    std::printf("  chain    %s (each enabled, others off)\n", describe_chain(chain).c_str());
    std::printf("  eq       10 bands,%s dB\n", eq.c_str());
    std::printf("  buffers  1024 frames, %lld calls of vemomix_change\n",
                static_cast<long long>((stats.frames + 1023) / 1024));
    std::printf("  in       peak %6.2f dBFS, RMS %6.2f dBFS\n", stats.in.peak_dbfs(), stats.in.rms_dbfs());
    std::printf("  out      peak %6.2f dBFS, RMS %6.2f dBFS\n", stats.out.peak_dbfs(), stats.out.rms_dbfs());
    std::printf("  wrote    %s (%lld frames, 16-bit)\n", output.c_str(),
                static_cast<long long>(stats.frames));
    std::printf("  strip    %s (levels of the last buffer)\n", strips.last.c_str());
    if (!strips.timeline.empty()) std::printf("  timeline %s (one strip per second)\n", strips.timeline.c_str());
    return 0;
}

}  // namespace vemomix_cli
