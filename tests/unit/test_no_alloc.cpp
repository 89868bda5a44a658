// The audio path never touches the heap: every operator new of this executable is counted,
// and vemomix_change must not add to the count, whatever the record, chain or buffer.  Nor do
// the rebuilds while they hold the engine lock, which is what the audio thread would wait for.
#include <vector>

#include "alloc_hooks.h"
#include "random_records.h"
#include "test_support.h"

using alloc_hooks::g_allocations;
using alloc_hooks::g_counting;

namespace vemo::test {
namespace {

using namespace vemo::torture;

struct Counting {
    Counting() { g_allocations.store(0), g_counting.store(true); }
    ~Counting() { g_counting.store(false); }
    long count() const { return g_allocations.load(); }
};

TEST(NoAlloc, TheCounterSeesPlainArrayAndNothrowAllocations) {
    void* volatile sink[3];  // keeps the compiler from leaving the allocations out
    long seen = 0;
    {
        Counting c;
        sink[0] = new std::vector<int>(3);  // the vector object and its storage
        sink[1] = new int[4];
        sink[2] = new (std::nothrow) int;
        seen = c.count();
    }
    delete static_cast<std::vector<int>*>(sink[0]);
    delete[] static_cast<int*>(sink[1]);
    delete static_cast<int*>(sink[2]);
    EXPECT_EQ(seen, 4);
}

// Every effect on, at every format, under valid and hostile records, shown and hidden, and
// with buffers from one frame to several slices.
TEST(NoAlloc, ChangeNeverAllocates) {
    torture::Rng rng(0xA110C);
    std::vector<int16_t> buf(2 * 10000 + 2);
    for (int rate : kRates) {
        for (int channels = 1; channels <= 2; ++channels) {
            start_library(rate, channels, rng.chance(50) ? 1 : 0);
            const EffectSettings base = current_record();
            for (int round = 0; round < 8; ++round) {
                vemomix_set(round == 0 ? all_on(base) : random_record(base, rng, round % 2 == 0));
                if (round == 3) vemomix_datarefresh();
                uint64_t phase = 0;
                long allocations = 0;
                for (int b = 0; b < 4; ++b) {
                    const int frames = rng.pick({1, 17, 1024, 4096, 4097, 10000});
                    fill_signal(buf.data(), static_cast<size_t>(frames) * channels, channels,
                                static_cast<Signal>(rng.range(0, static_cast<int>(Signal::kCount) - 1)), rng, phase);
                    Counting c;
                    vemomix_change(buf.data(), frames * channels * 2);
                    allocations += c.count();
                }
                EXPECT_EQ(allocations, 0) << rate << " Hz, " << channels << " ch, round " << round;
            }
        }
    }
    vemomix_close();
}

// Whole records, history clears and the editor's rebuilds at one format: what they need is
// made before the engine lock is taken.
TEST(NoAlloc, RebuildsDoNotAllocateUnderTheEngineLock) {
    torture::Rng rng(0x10C4);
    start_library(48000, 2);
    const EffectSettings base = current_record();
    alloc_hooks::g_count_here = [] { return vemo::engine_lock_depth > 0; };
    long allocations = 0;
    {
        Counting c;
        for (int round = 0; round < 40; ++round) {
            vemomix_set(round == 0 ? all_on(base) : random_record(base, rng, round % 3 != 0));
            if (round % 4 == 1) vemomix_datarefresh();
            if (round % 5 == 2) editor().eq.choose_band_count(rng.pick(kBandButtonCounts));
            current_record();  // vemomix_get
        }
        allocations = c.count();
    }
    alloc_hooks::g_count_here = nullptr;
    EXPECT_EQ(allocations, 0);
    vemomix_close();
}

}  // namespace
}  // namespace vemo::test
