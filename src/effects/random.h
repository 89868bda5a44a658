// The project's own random generator, so that EQ dither and reverb taps draw the same
// sequence in every build on every platform: x <- x*214013 + 2531011, out (x>>16)&0x7FFF.
// Each engine instance has its own; nothing is shared between instances.
#pragma once
#include <cstdint>

namespace vemo {

struct Rng {
    uint32_t state = 1;  // a new generator starts where the library does at load
    int next() {         // 0..32767
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFFu);
    }
};

// What an effect draws from: a generator of its own, unless the engine it belongs to shares one
// between its effects (the process-wide engine's equaliser and reverberation draw one sequence).
class RngLink {
public:
    int next() { return generator().next(); }
    Rng& generator() { return shared_ ? *shared_ : own_; }
    void share(Rng* g) { shared_ = g; }

private:
    Rng own_;
    Rng* shared_ = nullptr;
};

}  // namespace vemo
