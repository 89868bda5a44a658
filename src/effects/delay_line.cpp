#include "effects/delay_line.h"

namespace vemo {

namespace {
int32_t slots_for(int n) {
    n = std::min(n, kMaxLineRate);
    return n >= 0 ? n + 1 : 0;
}
}  // namespace

void delay_init(DelayLine& line, int n) {
    line.size = slots_for(n);  // see kMaxLineRate
    line.buf.assign(static_cast<size_t>(line.size), 0.0f);
    line.pos = 0;
}

void delay_free(DelayLine& line) {
    std::vector<float>().swap(line.buf);
    line.size = 0;
    line.pos = 0;
}

void delay_recreate(DelayLine& line, int n, SpareBuffer<float>& spare) {
    if (line.size == 0) return;
    line.size = slots_for(n);
    spare.swap_in(line.buf, static_cast<size_t>(line.size));
    line.pos = 0;
}

void delay_prepare(const DelayLine& line, int n, SpareBuffer<float>& spare) {
    if (line.size != 0) spare.prepare(static_cast<size_t>(slots_for(n)));
}

}  // namespace vemo
