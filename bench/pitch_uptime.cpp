// Long-run check of the pitch changer: a steady tone through one instance at 0 octaves with the
// default frame, for as long as a playout host runs.  Per stretch of the run it prints the
// residue (what is left of the output once the tone itself is fitted out, relative to the tone)
// and the tone's level, so that a decay with uptime shows as a trend against the first minute.
//   pitch_uptime [minutes=120] [hz=1000] [report every n minutes=10] [frame=2048] [overlap=4]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "effects/pitch_changer.h"

int main(int argc, char** argv) {
    const int minutes = argc > 1 ? std::atoi(argv[1]) : 120;
    const int hz = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int every = argc > 3 ? std::max(1, std::atoi(argv[3])) : 10;
    const int frame = argc > 4 ? std::atoi(argv[4]) : 2048;
    const int overlap = argc > 5 ? std::atoi(argv[5]) : 4;
    constexpr int kRate = 48000, kBlock = 4800;  // 0.1 s: whole cycles of any tone in whole Hz
    constexpr double kTwoPi = 6.283185307179586;
    auto fx = std::make_unique<vemo::PitchChanger>();
    vemo::fx_reset(*fx, kRate, 1);
    fx->params.pitch_frame_size = frame;
    fx->params.pitch_oversampling = overlap;
    vemo::fx_configure(*fx, kRate, 1);

    // A whole number of cycles a second, so the input repeats every second exactly.
    std::vector<int16_t> second(kRate);
    std::vector<double> sine(kRate), cosine(kRate);
    for (int n = 0; n < kRate; ++n) {
        sine[n] = std::sin(kTwoPi * hz * n / kRate);
        cosine[n] = std::cos(kTwoPi * hz * n / kRate);
        second[n] = static_cast<int16_t>(16000.0 * sine[n]);
    }
    std::vector<int16_t> pcm(kBlock);
    std::vector<float> work(vemo::kMaxFrames);
    const vemo::StageContext ctx{kRate, 1, kBlock / 2, kBlock / 2, work.data()};

    const int64_t total = static_cast<int64_t>(minutes) * 60 * kRate;
    const int64_t stretch = static_cast<int64_t>(every) * 60 * kRate;
    double rest = 0, tone = 0, first_residue = 0, first_level = 0;
    int64_t counted = 0;
    std::printf("%d Hz, 48000 Hz mono, 0 octaves, N %d, O %d\n  minute   residue dB   tone dBFS\n", hz, frame, overlap);
    for (int64_t at = 0; at < total; at += kBlock) {
        for (int i = 0; i < kBlock; ++i) pcm[i] = second[(at + i) % kRate];
        vemo::fx_process(*fx, pcm.data(), ctx);
        vemo::fx_process(*fx, pcm.data() + kBlock / 2, ctx);
        if (at >= kBlock) {  // past the silence while the FIFOs fill
            // The tone's part of the block by projection (sine and cosine are orthogonal over
            // whole cycles); the rest is everything else.
            double a = 0, b = 0, all = 0;
            for (int i = 0; i < kBlock; ++i) {
                const int t = static_cast<int>((at + i) % kRate);
                a += pcm[i] * sine[t];
                b += pcm[i] * cosine[t];
                all += static_cast<double>(pcm[i]) * pcm[i];
            }
            const double part = 2.0 * (a * a + b * b) / kBlock;
            tone += part;
            rest += all - part;
            counted += kBlock;
        }
        const int64_t end = at + kBlock;
        // The first minute on its own as the baseline, then every stretch.
        if (end == 60 * kRate || end % stretch == 0) {
            // An exact tone leaves only rounding (even a little below zero): shown as -150 dB.
            const double residue = std::max(10 * std::log10(std::max(rest, 0.0) / tone), -150.0);
            const double level = 10 * std::log10(tone / counted / (32768.0 * 32768.0 / 2));
            if (end == 60 * kRate) first_residue = residue, first_level = level;
            std::printf("  %6lld   %10.2f   %9.2f   (%+.2f dB residue, %+.2f dB tone vs the first minute)\n",
                        static_cast<long long>(end / (60 * kRate)), residue, level, residue - first_residue,
                        level - first_level);
            std::fflush(stdout);
            rest = tone = 0;
            counted = 0;
        }
    }
    return 0;
}
