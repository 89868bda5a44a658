// The editor's thread and the audio thread at the same time: one thread processes buffers
// without pause while the other switches effects, moves chain rows, changes equaliser gains
// and band counts and applies whole records.  Run under ThreadSanitizer by scripts/test-tsan.
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "random_records.h"
#include "test_support.h"

namespace vemo::test {
namespace {

using namespace vemo::torture;
using Clock = std::chrono::steady_clock;

class Concurrency : public Session {};

TEST_F(Concurrency, EditorAndAudioThreadsRunTogether) {
    torture::Rng ui_rng(0xC0C0);
    const EffectSettings base = current_record();
    vemomix_set(all_on(base));
    vemomix_setdisp(1);  // level capture runs too

    std::atomic<bool> stop{false}, audio_ok{true};
    std::atomic<long> buffers{0};
    std::thread audio([&] {
        torture::Rng rng(0xA0D10);
        std::vector<int16_t> buf(2 * 4096);
        uint64_t phase = 0;
        while (!stop.load(std::memory_order_relaxed)) {
            const int frames = rng.range(1, 4096);
            fill_signal(buf.data(), static_cast<size_t>(frames) * 2, 2, Signal::kNoise, rng, phase);
            const int32_t bytes = frames * 4;
            if (vemomix_change(buf.data(), bytes) != bytes) audio_ok.store(false);
            buffers.fetch_add(1, std::memory_order_relaxed);
        }
    });

    // A fixed amount of work on both threads, so a slow (sanitised, loaded) machine only takes
    // longer; the deadline is a hang guard, far beyond what either needs.
    constexpr long kOperations = 200, kBuffers = 20;
    const auto deadline = Clock::now() + std::chrono::seconds(120);
    long operations = 0;
    for (; (operations < kOperations || buffers.load() < kBuffers) && Clock::now() < deadline; ++operations) {
        switch (ui_rng.range(0, 6)) {
            case 0: editor().chain.on_switch_clicked(ui_rng.range(1, 16), ui_rng.chance(70)); break;
            case 1:
                editor().chain.select_row(ui_rng.range(0, 15));
                ui_rng.chance(50) ? editor().chain.move_selected(-1) : editor().chain.move_selected(1);
                break;
            case 2: {
                // A band slider: the gain of one band for both channels.
                const float level = static_cast<float>(ui_rng.range(-20, 20));
                const int band = ui_rng.range(-1, 9);
                for (int c = 0; c < 2; ++c) eq_set_gain(engine().eq, level, band, c);
                break;
            }
            case 3: editor().eq.choose_band_count(ui_rng.pick(kBandButtonCounts)); break;
            case 4:
                if (ui_rng.chance(10)) vemomix_set(random_record(base, ui_rng, ui_rng.chance(70)));
                break;
            case 5: {
                // The parameter page: another effect, a slider, its default button.
                Editor& ed = editor();
                if (ui_rng.chance(20)) ed.param.choose_effect(ui_rng.range(2, 16));
                const int n = static_cast<int>(ed.param.sliders.size());
                if (n > 0) {
                    const int i = ui_rng.range(0, n - 1);
                    const ParamRow& row = *ed.param.sliders[static_cast<size_t>(i)].row;
                    ed.param.on_slider(i, ui_rng.range(row.pos_min, row.pos_max));
                }
                if (ui_rng.chance(10)) ed.param.on_defaults();
                break;
            }
            default: vemomix_setiir(static_cast<uint8_t>(ui_rng.range(0, 1))); break;
        }
    }
    // The audio thread must still be moving once the editor has finished: no deadlock.
    const long seen = buffers.load();
    const auto wait_until = Clock::now() + std::chrono::seconds(5);
    while (buffers.load() < seen + 3 && Clock::now() < wait_until) std::this_thread::yield();
    const bool audio_alive = buffers.load() >= seen + 3;
    stop.store(true);
    audio.join();

    EXPECT_TRUE(audio_alive) << "the audio thread stalled";
    EXPECT_TRUE(audio_ok.load()) << "vemomix_change returned another byte count";
    EXPECT_TRUE(buffers.load() >= kBuffers && operations >= kOperations) << "the deadline passed";
    // The chain the audio thread reads is still the chain the list shows.
    const std::vector<int> shown = chain_types(), published = published_chain();
    for (size_t r = 0; r < 16 && r < shown.size(); ++r) EXPECT_EQ(published[r], shown[r]) << "row " << r;
}

// Two host threads on the control exports at once, the window's and the display's fields
// among them: each takes its turn (ThreadSanitizer sees any field written or read outside it).
TEST_F(Concurrency, TwoControlThreadsTakeTurns) {
    auto host = [](int seed) {
        for (int n = seed; n < seed + 300; ++n) {
            vemomix_set_mainwnd(n);
            vemomix_set_wintran(n % 2);
            vemomix_setdisp(static_cast<uint8_t>(n % 2));
            current_record();  // vemomix_get
            if (vemomix_get_wintran() == 0 || vemomix_get_dispstatus() > 1) ADD_FAILURE() << n;
        }
    };
    std::thread other(host, 1000);
    host(0);
    other.join();
}

}  // namespace
}  // namespace vemo::test
