// vemomix_change with every effect off: the cost of the call itself and the chain walk.
#include <benchmark/benchmark.h>

#include <vector>

#include "vemosoundmix.h"

static void BM_ChangeAllOff(benchmark::State& state) {
    vemomix_begin();
    vemomix_init(44100, 2, 0);
    std::vector<int16_t> buf(2 * 1024, 1000);
    for (auto _ : state) {
        benchmark::DoNotOptimize(vemomix_change(buf.data(), static_cast<int32_t>(buf.size() * 2)));
        benchmark::ClobberMemory();
    }
    vemomix_close();
}
BENCHMARK(BM_ChangeAllOff);
