#include "effects/random.h"

#include <atomic>

namespace vemo {
namespace {
// Only touched under the engine mutex; atomic so that a stray call from another thread is no data race.
std::atomic<uint32_t> g_state{1};
}  // namespace

int vemo_rand() {
    uint32_t x = g_state.load(std::memory_order_relaxed) * 214013u + 2531011u;
    g_state.store(x, std::memory_order_relaxed);
    return static_cast<int>((x >> 16) & 0x7FFFu);
}

void vemo_srand(uint32_t seed) { g_state.store(seed, std::memory_order_relaxed); }

}  // namespace vemo
